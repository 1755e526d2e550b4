#include "reader/text_helpers.h"

#include <array>
#include <cstring>

namespace pexilon {

namespace {

// Character classes for scan_until: the bytes that can end a scan.
enum : unsigned char {
    ends_always = 1,     // the terminator, and ";" and "/" which may open a comment
    ends_separator = 2,  // "=" and ":"
    ends_bracket = 4,    // "]"
};

constexpr auto scan_classes = [] {
    std::array<unsigned char, 256> table{};
    table['\0'] = ends_always;
    table[';'] = ends_always;
    table['/'] = ends_always;
    table['='] = ends_separator;
    table[':'] = ends_separator;
    table[']'] = ends_bracket;
    return table;
}();

unsigned char class_of(char c) noexcept
{
    return scan_classes[static_cast<unsigned char>(c)];
}

// Whether the ";" or "/" at p opens an inline comment.
bool opens_comment(const char *s, const char *p) noexcept
{
    return p != s && is_white(p[-1]) && (*p == ';' || p[1] == '/');
}

// The classes that stand for `stops`, or 0 when some stop has no class.
unsigned char classes_of(const char *stops) noexcept
{
    if (stops == nullptr || stops[0] == '\0')
        return ends_always;
    if (stops[0] == ']' && stops[1] == '\0')
        return ends_always | ends_bracket;
    if (((stops[0] == '=' && stops[1] == ':') || (stops[0] == ':' && stops[1] == '=')) &&
        stops[2] == '\0')
        return ends_always | ends_separator;
    return 0;
}

// The general case, for any set of stop characters.
char *scan_until_any(char *s, const char *stops) noexcept
{
    for (char *p = s;; ++p) {
        const char c = *p;
        if (c == '\0' || std::strchr(stops, c) != nullptr)
            return p;
        if ((c == ';' || c == '/') && opens_comment(s, p))
            return p;
    }
}

} // namespace

char *scan_until(char *s, const char *stops) noexcept
{
    // The parser's stop sets each have a class bit, so the innermost loop is
    // one table look-up per character.
    const unsigned char ends = classes_of(stops);
    if (ends == 0)
        return scan_until_any(s, stops);
    for (char *p = s;; ++p) {
        const unsigned char found = class_of(*p) & ends;
        if (found == 0)
            continue;
        // An inline comment starts only after white space, so that ";" and
        // "//" glued to the text before them stay part of it.
        if (*p == '\0' || found != ends_always || opens_comment(s, p))
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
