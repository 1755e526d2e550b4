// Columns as people count them. The checker's places are bytes of a line;
// a caret must sit under the character a place names however many bytes
// the characters before it take, and GCC's "display-column" and SARIF's
// "unicodeCodePoints" count characters. A well-formed UTF-8 sequence is one
// character; every other byte (the file need not be UTF-8) is one as well,
// as the replacement character it is shown as.
#pragma once

#include <cstddef>
#include <string_view>

namespace pexilon {

// Bytes of the character that starts at text[at]: the length of a
// well-formed UTF-8 sequence there, else 1.
std::size_t character_size(std::string_view text, std::size_t at) noexcept;

// Characters in `text`.
std::size_t characters_in(std::string_view text) noexcept;

// Character columns of byte columns of the same text, asked in order: each
// answer goes on from the last one when it can, so that the places of a
// long line are counted in one pass however many there are.
class character_columns {
public:
    // The 1-based character column of 1-based byte column `byte_column` of
    // `line`: one more than the characters that end before it, so that a
    // byte inside a character names that character. 0 (no column) stays 0;
    // a column past the line's end counts the bytes past it one each.
    std::size_t operator()(std::string_view line, std::size_t byte_column) noexcept;

private:
    const char *line_ = nullptr; // the line of the last answer
    std::size_t byte_ = 0;       // 0-based byte it was counted to (a character start)
    std::size_t characters_ = 0; // characters before that byte
};

} // namespace pexilon
