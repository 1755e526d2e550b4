#include "config/value_parsing.h"

#include <cstdint>

#include "reader/text_helpers.h"

namespace pexilon {

namespace {

int digit_value(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99; // above every base
}

// The conversion of the C library's strtoll(text, NULL, base) for base 10
// and 16, without its errno side effect: leading white space, an optional
// sign, in base 16 an optional "0x" before a hex digit, then digits up to
// the first character that is not one; out-of-range values saturate.
std::int64_t convert(const char *p, int base) noexcept
{
    while (is_white(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit_value(p[2]) < 16)
        p += 2;
    const std::uint64_t limit =
        negative ? static_cast<std::uint64_t>(INT64_MAX) + 1 : static_cast<std::uint64_t>(INT64_MAX);
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (int d; (d = digit_value(*p)) < base; ++p) {
        if (magnitude > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
            overflow = true;
        else
            magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    if (overflow)
        return negative ? INT64_MIN : INT64_MAX;
    // Two's complement negation of the magnitude, which may be 2^63.
    return negative ? static_cast<std::int64_t>(~magnitude + 1) : static_cast<std::int64_t>(magnitude);
}

// Decimal unless the text starts (after white space) with "0x" or "0X": a
// leading zero alone does not mean octal, and a sign keeps the base at 10.
int base_of(const char *text) noexcept
{
    while (is_white(*text))
        ++text;
    return (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 16 : 10;
}

} // namespace

std::int64_t parse_int64(const char *text) noexcept
{
    return convert(text, base_of(text));
}

std::uint32_t parse_int32(const char *text) noexcept
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(parse_int64(text)));
}

bool parse_value_list(param_entry *entry, const char *text) noexcept
{
    // Pieces are converted where they stand: a conversion stops at the comma
    // that ends its piece, so no copy of the text is needed.
    int count = 0;
    bool fits = true;
    for (const char *p = text; *p != '\0';) {
        if (*p == ',') {
            ++p; // empty pieces between commas are skipped
            continue;
        }
        if (count < max_list_values)
            entry->values[count++] = parse_int32(p);
        else
            fits = false;
        while (*p != '\0' && *p != ',')
            ++p;
    }
    entry->value_count = static_cast<std::uint8_t>(count);
    return fits;
}

} // namespace pexilon
