// Editor lines and UTF-16 columns.
#include "text_lines.h"

#include "support/character_columns.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace pexilon::lsp {

char_size next_char(std::string_view text) noexcept
{
    // A character beyond the Basic Multilingual Plane, four bytes of UTF-8,
    // is two UTF-16 units; any other character, or lone byte, is one.
    const std::size_t bytes = pexilon::character_size(text, 0);
    return {bytes, bytes == 4 ? std::size_t{2} : std::size_t{1}};
}

text_lines::text_lines(std::string_view text) : text_(text)
{
    starts_.push_back(0);
    // Without a "\r" the lines end at the "\n"s alone, found as the C
    // library finds a byte rather than a byte at a time.
    if (text.find('\r') == std::string_view::npos) {
        for (std::size_t at = text.find('\n'); at != std::string_view::npos;
             at = text.find('\n', at + 1))
            starts_.push_back(static_cast<std::uint32_t>(at + 1));
        return;
    }
    bool lone_cr = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        else if (text[i] == '\r')
            lone_cr = true;
        else if (text[i] != '\n')
            continue;
        starts_.push_back(static_cast<std::uint32_t>(i + 1));
    }
    if (!lone_cr)
        return;
    reader_starts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            reader_starts_.push_back(static_cast<std::uint32_t>(i + 1));
}

std::size_t text_lines::content_end(std::size_t index) const noexcept
{
    if (index + 1 >= starts_.size())
        return text_.size();
    std::size_t end = starts_[index + 1] - 1; // the "\n" or the lone "\r"
    if (text_[end] == '\n' && end > starts_[index] && text_[end - 1] == '\r')
        --end;
    return end;
}

std::string_view text_lines::line(std::size_t index) const noexcept
{
    if (index >= starts_.size())
        return {};
    return text_.substr(starts_[index], content_end(index) - starts_[index]);
}

std::size_t text_lines::utf16_column(std::size_t index, std::size_t bytes) const noexcept
{
    const std::string_view text = line(index);
    std::size_t units = 0;
    for (std::size_t at = 0; at < bytes && at < text.size();) {
        const char_size c = next_char(text.substr(at));
        if (at + c.bytes > bytes)
            break; // a column inside a character counts from its start
        at += c.bytes;
        units += c.units;
    }
    return units;
}

std::size_t text_lines::byte_column(std::size_t index, std::size_t units) const noexcept
{
    const std::string_view text = line(index);
    std::size_t at = 0;
    std::size_t counted = 0;
    while (at < text.size()) {
        const char_size c = next_char(text.substr(at));
        if (counted + c.units > units)
            break;
        counted += c.units;
        at += c.bytes;
    }
    return at;
}

std::size_t text_lines::offset(std::size_t index, std::size_t units) const noexcept
{
    if (index >= starts_.size())
        return text_.size();
    return starts_[index] + byte_column(index, units);
}

std::size_t text_lines::line_at(std::size_t offset) const noexcept
{
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
    return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

position text_lines::position_of(std::size_t offset) const noexcept
{
    const std::size_t at = std::min(offset, text_.size());
    const std::size_t index = line_at(at);
    return {index, utf16_column(index, at - starts_[index])};
}

namespace {

// The line of `starts` that holds `offset`, looked for from line `from`
// on, which starts at or before it, in steps that double: offsets asked in
// order fall a few lines apart, not anywhere among all the lines.
std::size_t line_from(const std::vector<std::uint32_t> &starts, std::size_t from,
                      std::size_t offset) noexcept
{
    std::size_t step = 1;
    while (from + step < starts.size() && starts[from + step] <= offset) {
        from += step;
        step *= 2;
    }
    const auto end =
        starts.begin() + static_cast<std::ptrdiff_t>(std::min(from + step, starts.size()));
    const auto after =
        std::upper_bound(starts.begin() + static_cast<std::ptrdiff_t>(from), end, offset);
    return static_cast<std::size_t>(after - starts.begin()) - 1;
}

} // namespace

std::vector<position> text_lines::positions_of(const std::vector<std::size_t> &offsets) const
{
    std::vector<position> out;
    out.reserve(offsets.size());
    std::size_t index = starts_.size(); // the line walked so far, none yet
    std::string_view text;
    std::size_t at = 0; // bytes of it walked, and their units
    std::size_t units = 0;
    for (const std::size_t offset : offsets) {
        const std::size_t clamped = std::min(offset, text_.size());
        const std::size_t from = index < starts_.size() && starts_[index] <= clamped ? index : 0;
        const std::size_t here = line_from(starts_, from, clamped);
        const std::size_t bytes = std::min(clamped - starts_[here], line(here).size());
        if (here != index || bytes < at) {
            index = here;
            text = line(here);
            at = 0;
            units = 0;
        }
        while (at < bytes) {
            const char_size c = next_char(text.substr(at));
            if (at + c.bytes > bytes)
                break; // inside a character: counted from its start
            at += c.bytes;
            units += c.units;
        }
        out.push_back({here, units});
    }
    return out;
}

std::size_t text_lines::reader_line_start(std::size_t reader_line) const noexcept
{
    const std::vector<std::uint32_t> &starts = reader_starts_.empty() ? starts_ : reader_starts_;
    return reader_line < starts.size() ? starts[reader_line] : text_.size();
}

std::size_t text_lines::reader_line_end(std::size_t reader_line) const noexcept
{
    const std::vector<std::uint32_t> &starts = reader_starts_.empty() ? starts_ : reader_starts_;
    if (reader_line >= starts.size())
        return text_.size();
    const std::size_t start = starts[reader_line];
    std::size_t end = reader_line + 1 < starts.size() ? starts[reader_line + 1] - 1 : text_.size();
    if (end > start && text_[end - 1] == '\r')
        --end;
    return end;
}

std::size_t text_lines::reader_line_at(std::size_t offset) const noexcept
{
    const std::vector<std::uint32_t> &starts = reader_starts_.empty() ? starts_ : reader_starts_;
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    return static_cast<std::size_t>(after - starts.begin()) - 1;
}

} // namespace pexilon::lsp
