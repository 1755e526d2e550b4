// A document under didChange's range edits. Each edit names its place by
// protocol line and UTF-16 column in the text the edits before it left; the
// text is held with a gap at the last edit and the line starts are kept as
// far as they are known, so that edits walking through the document in
// either direction cost their size and the distance between them, not the
// document's size each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text_lines.h"

namespace pexilon::lsp {

// What became of an edit.
enum class edit_result {
    applied,
    too_large, // the text would grow past the limit
    outside,   // a position past the last line, or an end before the start
};

class edited_text {
public:
    // `limit` is the largest the text may grow to.
    edited_text(std::string_view text, std::size_t limit);

    // Replaces the text from `start` to `end` (a column past a line's end is
    // its end, as the protocol says) by `replacement`; anything but
    // `applied` changes nothing. A line past the last one is `outside`: the
    // editor's text is not the one held here.
    edit_result replace(position start, position end, std::string_view replacement);

    std::size_t size() const noexcept { return buffer_.size() - (gap_end_ - gap_start_); }

    // The text; the object is left empty.
    std::string take();

private:
    char byte(std::size_t at) const noexcept
    {
        return buffer_[at < gap_start_ ? at : at + (gap_end_ - gap_start_)];
    }
    char_size char_at(std::size_t at) const noexcept;
    std::size_t line_start(std::size_t line);
    std::size_t offset(position at);
    void forget_after(std::size_t at);
    void move_gap(std::size_t to);

    std::string buffer_;
    std::size_t gap_start_ = 0; // the gap is buffer_[gap_start_, gap_end_)
    std::size_t gap_end_ = 0;
    std::size_t limit_;

    // Every line start up to scanned_ (the next byte to look at).
    std::vector<std::size_t> starts_{0};
    std::size_t scanned_ = 0;

    // The last position found: its line, UTF-16 column and offset, from
    // which a later column of the same line is walked on.
    bool have_cursor_ = false;
    position cursor_;
    std::size_t cursor_offset_ = 0;
};

} // namespace pexilon::lsp
