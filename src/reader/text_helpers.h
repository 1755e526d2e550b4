// Small text routines shared by the line parser and the code-block reader.
#pragma once

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace pexilon {

// White space is the C library's isspace class in the current locale, with
// each byte taken as an unsigned character. The ASCII white space characters
// are the same in every locale, so only bytes from 0x80 up ask the locale;
// this is the parser's innermost test.
inline bool is_white(char c) noexcept
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80)
        return byte == ' ' || static_cast<unsigned char>(byte - '\t') <= '\r' - '\t';
    return std::isspace(byte) != 0;
}

// A line's text ends at its terminator or at its newline, whichever comes
// first: a newline can only be a line's last character, so the reader need
// not write a terminator over the byte after it. (Writing one where the line
// lies, just before wide loads read it back, stalled every line.)
inline bool ends_text(char c) noexcept { return c == '\0' || c == '\n'; }

// The length of s's text (see ends_text).
inline std::size_t text_length(const char *s) noexcept { return std::strcspn(s, "\n"); }

// True for the printable ASCII characters other than the blank: never white
// space, nor the end of a text. Most texts start and end with one, so this
// one compare settles most tests of a text's edges.
inline bool is_graphic(char c) noexcept { return static_cast<unsigned char>(c - '!') <= '~' - '!'; }

// First character of s that is not white space (where the text ends if none
// is). Texts mostly start at once or after blanks.
inline char *trim_left(char *s) noexcept
{
    while (*s == ' ')
        ++s;
    while (!is_graphic(*s) && !ends_text(*s) && is_white(*s))
        ++s;
    return s;
}

// Where the text from s to `end` ends once the white space at its end is
// dropped (s when it is all white space).
inline char *before_white(const char *s, char *end) noexcept
{
    while (end > s && (end[-1] == ' ' || (!is_graphic(end[-1]) && is_white(end[-1]))))
        --end;
    return end;
}

// Terminates s after its last character that is not white space before
// `end`, where its text ends; returns the new end (the terminator).
inline char *trim_back(char *s, char *end) noexcept
{
    end = before_white(s, end);
    *end = '\0';
    return end;
}

// trim_back up to the end of s's text.
inline char *trim_end(char *s) noexcept { return trim_back(s, s + text_length(s)); }

// Overwrites the trailing white space of s with terminators; returns s.
// (Inline, as trim_left: both run once or twice on every line.)
inline char *trim_right(char *s) noexcept
{
    trim_end(s);
    return s;
}

// Position of the first "]" of s, of the end of its text, or of the start of an
// inline comment (a ";" or a "//" whose preceding character within s is white
// space), whichever comes first. The first character of s never counts as
// preceded by white space. Section headers end at what it finds.
char *scan_to_bracket(char *s) noexcept;

// A code block's start or end marker: upper-case ASCII letters, "=" and "_".
struct block_marker {
    char text[32] = {};
    char fold[32] = {}; // 0x20 where text holds a letter: its case bit is not compared
    std::size_t length = 0;
};

consteval block_marker make_block_marker(const char *text)
{
    block_marker marker;
    while (text[marker.length] != '\0') {
        const char c = text[marker.length];
        marker.text[marker.length] = c;
        marker.fold[marker.length] = c >= 'A' && c <= 'Z' ? 0x20 : 0;
        ++marker.length;
    }
    // At least one word and no more than the arrays hold: a marker outside
    // that calls abort, which no constant evaluation can, and fails to build.
    if (marker.length < 8 || marker.length >= sizeof marker.text)
        std::abort();
    return marker;
}

// True when the `length` bytes at `text` spell `marker`, ASCII letters
// compared without regard to case. The bytes are compared eight at a time,
// the last word overlapping the one before it: byte by byte, with a case
// test on each, this cost more than the rest of a code block's end line.
inline bool spells_marker(const char *text, std::size_t length, const block_marker &marker) noexcept
{
    if (length != marker.length)
        return false;
    std::uint64_t differ = 0;
    for (std::size_t i = 0; i < length; i += 8) {
        const std::size_t at = i + 8 <= length ? i : length - 8;
        std::uint64_t got = 0;
        std::uint64_t want = 0;
        std::uint64_t fold = 0;
        std::memcpy(&got, text + at, sizeof got);
        std::memcpy(&want, marker.text + at, sizeof want);
        std::memcpy(&fold, marker.fold + at, sizeof fold);
        differ |= (got | fold) ^ (want | fold);
    }
    return differ == 0;
}

} // namespace pexilon
