#include "reader/text_helpers.h"

#include <cstring>

namespace pexilon {

char *trim_left(char *s) noexcept
{
    while (*s != '\0' && is_white(*s))
        ++s;
    return s;
}

char *trim_right(char *s) noexcept
{
    char *end = s + std::strlen(s);
    while (end > s && is_white(end[-1]))
        --end;
    *end = '\0';
    return s;
}

char *scan_until(char *s, const char *stops) noexcept
{
    for (char *p = s;; ++p) {
        const char c = *p;
        if (c == '\0')
            return p;
        if (stops != nullptr && std::strchr(stops, c) != nullptr)
            return p;
        // An inline comment starts only after white space, so that ";" and
        // "//" glued to the text before them stay part of it.
        if (p != s && is_white(p[-1]) && (c == ';' || (c == '/' && p[1] == '/')))
            return p;
    }
}

bool equals_ignoring_case(const char *a, const char *b) noexcept
{
    const auto lower = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    };
    for (;; ++a, ++b) {
        const unsigned char x = lower(static_cast<unsigned char>(*a));
        const unsigned char y = lower(static_cast<unsigned char>(*b));
        if (x != y)
            return false;
        if (x == '\0')
            return true;
    }
}

} // namespace pexilon
