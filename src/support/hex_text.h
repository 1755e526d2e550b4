// A number in hexadecimal as every output of the library's tools writes it:
// "0x", then upper-case digits, at least `digits` of them. The dump, json
// --hex and diff agree on it, so that their texts of a number can be told
// apart by nothing but the number.
#pragma once

#include <cstdio>

namespace pexilon {

struct hex_text {
    char text[2 + 16 + 1]; // "0x", the digits of a 64-bit number, terminator

    const char *c_str() const noexcept { return text; }
};

// A negative number is written as the unsigned number of its bits, as
// printf's %llX writes it.
inline hex_text hex_spelling(unsigned long long value, int digits) noexcept
{
    hex_text out;
    std::snprintf(out.text, sizeof out.text, "0x%0*llX", digits, value);
    return out;
}

} // namespace pexilon
