// Lines of a document as the protocol numbers them, and the conversion between
// the reader's lines and byte columns and the protocol's lines and UTF-16
// columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pexilon::lsp {

// A protocol position: 0-based line, UTF-16 column.
struct position {
    std::size_t line = 0;
    std::size_t character = 0;
};

// A view of a text cut into lines at "\n", "\r\n" and a lone "\r", the line
// ends of the protocol. The reader knows "\n" alone (a "\r" is part of its
// line, as white space), so its lines are told apart as reader lines. The
// text is at most 4 GiB: documents are held to max_body_size.
class text_lines {
public:
    explicit text_lines(std::string_view text);

    std::size_t count() const noexcept { return starts_.size(); }

    // Line `index` (0-based) without its line end; empty past the last line.
    std::string_view line(std::size_t index) const noexcept;

    // UTF-16 code units in the first `bytes` bytes of line `index`.
    std::size_t utf16_column(std::size_t index, std::size_t bytes) const noexcept;

    // Bytes of line `index` that make its first `units` UTF-16 code units;
    // a column inside a character moves back to its start.
    std::size_t byte_column(std::size_t index, std::size_t units) const noexcept;

    // Byte offset into the text of a protocol position, clamped to the text.
    std::size_t offset(std::size_t index, std::size_t units) const noexcept;

    // The protocol position of a byte offset (clamped to the text); an offset
    // inside a character or a line end counts from the character's start, or
    // is the end of the line.
    position position_of(std::size_t offset) const noexcept;

    // The positions of many offsets, in one pass over each line they fall
    // in: `offsets` sorted ascending.
    std::vector<position> positions_of(const std::vector<std::size_t> &offsets) const;

    // Reader lines (0-based): where one starts, where it ends without its
    // "\n" and a "\r" before that, and the one holding a byte offset.
    std::size_t reader_line_start(std::size_t reader_line) const noexcept;
    std::size_t reader_line_end(std::size_t reader_line) const noexcept;
    std::size_t reader_line_at(std::size_t offset) const noexcept;

private:
    // Bytes of line `index` up to its line end.
    std::size_t content_end(std::size_t index) const noexcept;
    std::size_t line_at(std::size_t offset) const noexcept;

    std::string_view text_;
    std::vector<std::uint32_t> starts_;        // of the protocol's lines
    std::vector<std::uint32_t> reader_starts_; // empty when no lone "\r": the same lines
};

// Bytes and UTF-16 code units of the character that starts `text`. A byte
// that does not start a well-formed UTF-8 sequence counts as one unit, as
// editors show it as one replacement character.
struct char_size {
    std::size_t bytes;
    std::size_t units;
};
char_size next_char(std::string_view text) noexcept;

} // namespace pexilon::lsp
