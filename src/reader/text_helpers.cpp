#include "reader/text_helpers.h"

#include <array>

namespace pexilon {

namespace {

// The bytes that can end a scan for "]": the end of the text, "]" itself,
// and ";" and "/", which may open a comment.
constexpr auto bracket_stops = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {'\0', '\n', ']', ';', '/'})
        table[c] = true;
    return table;
}();

// Whether the ";" or "/" at p opens an inline comment.
bool opens_comment(const char *s, const char *p) noexcept
{
    return p != s && is_white(p[-1]) && (*p == ';' || p[1] == '/');
}

} // namespace

char *scan_to_bracket(char *s) noexcept
{
    for (char *p = s;; ++p) {
        if (!bracket_stops[static_cast<unsigned char>(*p)])
            continue;
        // An inline comment starts only after white space, so that ";" and
        // "//" glued to the text before them stay part of it.
        if ((*p != ';' && *p != '/') || opens_comment(s, p))
            return p;
    }
}

} // namespace pexilon
