// Small text routines shared by the line parser and the code-block reader.
#pragma once

#include <cctype>
#include <cstddef>
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

// First character of s that is not white space (where the text ends if none
// is).
inline char *trim_left(char *s) noexcept
{
    while (!ends_text(*s) && is_white(*s))
        ++s;
    return s;
}

// Terminates s after its last character that is not white space; returns
// the new end (the terminator).
inline char *trim_end(char *s) noexcept
{
    char *end = s + text_length(s);
    while (end > s && is_white(end[-1]))
        --end;
    *end = '\0';
    return end;
}

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

// True when a and b are equal, ASCII letters compared without regard to case.
bool equals_ignoring_case(const char *a, const char *b) noexcept;

} // namespace pexilon
