// Number conversion and comma-separated number lists, inline: they run for
// every number of every register line, so their callers take them whole.
// Only what is rare stays out of line: digit runs too long to accumulate
// unchecked, and white space from 0x80 up, which asks the locale.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "pexilon/config_parser.h"
#include "reader/text_helpers.h"

namespace pexilon {

// The numbers a list may hold: as many as an entry's values.
inline constexpr int max_list_values = sizeof(param_entry::values) / sizeof(param_entry::values[0]);

namespace number_text {

// Value of every byte as a digit; 99 (above every base) for non-digits.
inline constexpr auto digit_values = [] {
    std::array<unsigned char, 256> table{};
    table.fill(99);
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'A' + 10);
    return table;
}();

inline unsigned digit_value(char c) noexcept
{
    return digit_values[static_cast<unsigned char>(c)];
}

// Sixteen hex or nineteen decimal digits always fit 64 bits unsigned.
template <unsigned Base> inline constexpr std::ptrdiff_t unchecked_digits = Base == 16 ? 16 : 19;

// The magnitude of the digits [first, last) in base 10 or 16, checked
// digit by digit; sets *overflow when it passes 64 bits. For the long runs
// that the inline loop leaves to it.
std::uint64_t accumulate_checked(const char *first, const char *last, unsigned base,
                                 bool *overflow) noexcept;

// The magnitude of the run of Base digits at *p; moves *p past it.
template <unsigned Base>
inline std::uint64_t accumulate(const char *&p, bool *overflow) noexcept
{
    const char *const first = p;
    std::uint64_t magnitude = 0;
    for (unsigned d; (d = digit_value(*p)) < Base; ++p)
        magnitude = magnitude * Base + d;
    if (p - first > unchecked_digits<Base>) [[unlikely]]
        return accumulate_checked(first, p, Base, overflow);
    return magnitude;
}

// First character at or after p that is not white space. Printable ASCII,
// where a piece mostly starts, is never white space and is told at once.
inline const char *skip_white(const char *p) noexcept
{
    while (static_cast<unsigned char>(*p - '!') > '~' - '!' && is_white(*p))
        ++p;
    return p;
}

// Converts one number, after white space: hexadecimal after "0x" or "0X"
// followed by a hex digit, otherwise decimal with an optional sign (so a sign
// keeps the base at 10 and a leading zero alone does not mean octal). No
// digits give 0; values out of the 64-bit range saturate, and *saturated
// tells so. Stores the position after the digits in *end.
inline std::int64_t convert(const char *text, const char **end, bool *saturated) noexcept
{
    const char *p = skip_white(text);
    bool overflow = false;
    if (p[0] == '0' && (p[1] | 0x20) == 'x') {
        if (digit_value(p[2]) >= 16) {
            *end = p + 1; // the "0" alone; "x" stops
            *saturated = false;
            return 0;
        }
        p += 2;
        const std::uint64_t magnitude = accumulate<16>(p, &overflow);
        *end = p;
        *saturated = overflow || magnitude > std::uint64_t{INT64_MAX};
        return *saturated ? INT64_MAX : static_cast<std::int64_t>(magnitude);
    }
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    const std::uint64_t magnitude = accumulate<10>(p, &overflow);
    *end = p;
    // The magnitude may reach 2^63 for a negative number, 2^63 - 1 otherwise.
    *saturated = overflow || magnitude > std::uint64_t{INT64_MAX} + (negative ? 1 : 0);
    if (*saturated)
        return negative ? INT64_MIN : INT64_MAX;
    // Two's complement negation of the magnitude, which may be 2^63.
    return static_cast<std::int64_t>(negative ? ~magnitude + 1 : magnitude);
}

// The low 32 bits of a number, as lists and most fields keep it.
inline std::uint32_t low_bits(std::int64_t value) noexcept
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value));
}

} // namespace number_text

// Decimal, or hexadecimal after a leading "0x"/"0X" (white space before it
// allowed); a sign is taken in decimal only; no digits give 0; out-of-range
// values saturate to the 64-bit limits. Returns all 64 bits.
inline std::int64_t parse_int64(const char *text) noexcept
{
    const char *end = nullptr;
    bool saturated = false;
    return number_text::convert(text, &end, &saturated);
}

// The same rule, returning the low 32 bits.
inline std::uint32_t parse_int32(const char *text) noexcept
{
    return number_text::low_bits(parse_int64(text));
}

// Splits `text` at commas, skipping empty pieces, and stores parse_int32 of
// each piece into entry->values, setting entry->value_count. Returns false
// when there were more than 16 pieces: the first 16 are kept.
inline bool parse_value_list(param_entry *entry, const char *text) noexcept
{
    // One pass: each piece is converted where it stands, then the rest of it
    // (what the conversion did not take) is passed over up to its comma.
    int count = 0;
    for (const char *p = text;;) {
        while (*p == ',')
            ++p; // empty pieces
        if (*p == '\0')
            break;
        if (count == max_list_values) {
            entry->value_count = static_cast<std::uint8_t>(count);
            return false;
        }
        bool saturated = false;
        entry->values[count++] = number_text::low_bits(number_text::convert(p, &p, &saturated));
        while (*p != ',' && *p != '\0')
            ++p;
    }
    entry->value_count = static_cast<std::uint8_t>(count);
    return true;
}

} // namespace pexilon
