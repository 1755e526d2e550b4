// Range edits applied in place, with a gap buffer and a line index that is
// extended as edits ask for lines and cut back where an edit changes it.
#include "edited_text.h"

#include <algorithm>
#include <cstring>

namespace pexilon::lsp {

edited_text::edited_text(std::string_view text, std::size_t limit)
    : buffer_(text), gap_start_(text.size()), gap_end_(text.size()), limit_(limit)
{
}

char_size edited_text::char_at(std::size_t at) const noexcept
{
    char bytes[4];
    std::size_t count = 0;
    for (; count < 4 && at + count < size(); ++count)
        bytes[count] = byte(at + count);
    return next_char(std::string_view(bytes, count));
}

std::size_t edited_text::line_start(std::size_t line)
{
    const std::size_t end = size();
    while (starts_.size() <= line && scanned_ < end) {
        const char c = byte(scanned_++);
        if (c == '\r' && scanned_ < end && byte(scanned_) == '\n')
            ++scanned_;
        else if (c != '\r' && c != '\n')
            continue;
        starts_.push_back(scanned_);
    }
    return line < starts_.size() ? starts_[line] : end;
}

std::size_t edited_text::offset(position at)
{
    const std::size_t start = line_start(at.line);
    std::size_t here = start;
    std::size_t units = 0;
    if (have_cursor_ && cursor_.line == at.line && cursor_.character <= at.character) {
        here = cursor_offset_;
        units = cursor_.character;
    }
    const std::size_t end = size();
    while (here < end) {
        const char c = byte(here);
        if (c == '\n' || c == '\r')
            break;
        const char_size next = char_at(here);
        if (units + next.units > at.character)
            break;
        units += next.units;
        here += next.bytes;
    }
    if (start < end || at.line < starts_.size()) {
        have_cursor_ = true;
        cursor_ = {at.line, units};
        cursor_offset_ = here;
    }
    return here;
}

// After an edit at `at`: the line starts past it are no longer known, nor the
// one right at it after a "\r", which a "\n" put there would join.
void edited_text::forget_after(std::size_t at)
{
    std::size_t keep = at;
    if (at > 0 && byte(at - 1) == '\r')
        keep = at - 1;
    while (starts_.size() > 1 && starts_.back() > keep)
        starts_.pop_back();
    scanned_ = std::min(scanned_, keep);
    if (have_cursor_ && (cursor_offset_ > keep || starts_.size() <= cursor_.line))
        have_cursor_ = false;
}

void edited_text::move_gap(std::size_t to)
{
    const std::size_t gap = gap_end_ - gap_start_;
    if (to < gap_start_) {
        const std::size_t count = gap_start_ - to;
        std::memmove(&buffer_[to + gap], &buffer_[to], count);
    } else if (to > gap_start_) {
        const std::size_t count = to - gap_start_;
        std::memmove(&buffer_[gap_start_], &buffer_[gap_end_], count);
    }
    gap_start_ = to;
    gap_end_ = to + gap;
}

edit_result edited_text::replace(position start, position end, std::string_view replacement)
{
    line_start(std::max(start.line, end.line));
    if (std::max(start.line, end.line) >= starts_.size())
        return edit_result::outside;
    const std::size_t from = offset(start);
    const std::size_t to = offset(end);
    if (to < from)
        return edit_result::outside;
    const std::size_t removed = to - from;
    if (size() - removed > limit_ || replacement.size() > limit_ - (size() - removed))
        return edit_result::too_large;
    move_gap(from);
    gap_end_ += removed;
    if (gap_end_ - gap_start_ < replacement.size()) {
        // Grow the gap to the replacement and as much again as the text, so
        // that a run of inserts copies the text a bounded number of times.
        const std::size_t tail = buffer_.size() - gap_end_;
        const std::size_t gap = replacement.size() + size() + 64;
        std::string grown(gap_start_ + gap + tail, '\0');
        std::memcpy(grown.data(), buffer_.data(), gap_start_);
        std::memcpy(grown.data() + gap_start_ + gap, buffer_.data() + gap_end_, tail);
        buffer_ = std::move(grown);
        gap_end_ = gap_start_ + gap;
    }
    std::memcpy(&buffer_[gap_start_], replacement.data(), replacement.size());
    gap_start_ += replacement.size();
    forget_after(from);
    return edit_result::applied;
}

std::string edited_text::take()
{
    move_gap(size());
    buffer_.resize(gap_start_);
    gap_end_ = gap_start_;
    starts_.assign(1, 0);
    scanned_ = 0;
    have_cursor_ = false;
    return std::move(buffer_);
}

} // namespace pexilon::lsp
