// Lines of a document as the editor numbers them, and the conversion between
// the reader's byte columns and the protocol's UTF-16 columns.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace pexilon_lsp {

// A view of a text cut into lines at "\n", the only line end the reader
// knows (a "\r" before it stays part of the line, as trailing white space).
class text_lines {
public:
    explicit text_lines(std::string_view text);

    std::size_t count() const noexcept { return starts_.size(); }

    // Line `index` (0-based) without its "\n"; empty past the last line.
    std::string_view line(std::size_t index) const noexcept;

    // UTF-16 code units in the first `bytes` bytes of line `index`.
    std::size_t utf16_column(std::size_t index, std::size_t bytes) const noexcept;

    // Bytes of line `index` that make its first `units` UTF-16 code units;
    // a column inside a character moves back to its start.
    std::size_t byte_column(std::size_t index, std::size_t units) const noexcept;

    // Byte offset into the text of a protocol position, clamped to the text.
    std::size_t offset(std::size_t index, std::size_t units) const noexcept;

private:
    std::string_view text_;
    std::vector<std::size_t> starts_;
};

// Bytes and UTF-16 code units of the character that starts `text`. A byte
// that does not start a well-formed UTF-8 sequence counts as one unit, as
// editors show it as one replacement character.
struct char_size {
    std::size_t bytes;
    std::size_t units;
};
char_size next_char(std::string_view text) noexcept;

} // namespace pexilon_lsp
