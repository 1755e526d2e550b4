// Number conversion and comma-separated number lists, inline: they run for
// every number of every register line, so their callers take them whole.
// Only what is rare stays out of line: digit runs too long to accumulate
// unchecked, and white space from 0x80 up, which asks the locale.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "config/wide_hex_numbers.h"
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

inline unsigned digit_value(char c) noexcept { return digit_values[static_cast<unsigned char>(c)]; }

// Up to 15 hex or 18 decimal digits always fit 63 bits: a run no longer
// accumulates unchecked and needs no test for saturation.
template <unsigned Base>
inline constexpr std::ptrdiff_t unchecked_digits = Base == 16 ? 15 : 18;

// The value of the digits [first, last) in base 10 or 16, negated when
// negative, checked digit by digit; saturated out of the 64-bit range. For
// the long runs the inline loop leaves to it. (Returned whole, not through a
// pointer, so that the inline callers keep their flag in a register.)
struct long_run {
    std::int64_t value;
    bool saturated;
};
long_run convert_long_run(const char *first, const char *last, unsigned base,
                          bool negative) noexcept;

// The run of Base digits from first, negated when negative; stores where it
// ends. The digits before p are already in magnitude.
template <unsigned Base>
inline std::int64_t convert_run(const char *first, const char *p, std::uint64_t magnitude,
                                bool negative, const char **end, bool *saturated) noexcept
{
    for (unsigned d; (d = digit_value(*p)) < Base; ++p)
        magnitude = magnitude * Base + d;
    *end = p;
    if (p - first > unchecked_digits<Base>) [[unlikely]] {
        const long_run run = convert_long_run(first, p, Base, negative);
        *saturated = run.saturated;
        return run.value;
    }
    *saturated = false;
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

// First character at or after p that is not white space. Printable ASCII,
// where a piece mostly starts, is never white space and is told at once.
inline const char *skip_white(const char *p) noexcept
{
    for (;; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (static_cast<unsigned char>(c - '!') <= '~' - '!')
            return p;
        if (c != ' ' && !is_white(*p))
            return p;
    }
}

// Converts one number, after white space: hexadecimal after "0x" or "0X"
// followed by a hex digit, otherwise decimal with an optional sign (so a sign
// keeps the base at 10 and a leading zero alone does not mean octal). No
// digits give 0; values out of the 64-bit range saturate, and *saturated
// tells so. Stores the position after the digits in *end.
inline std::int64_t convert(const char *text, const char **end, bool *saturated) noexcept
{
    // The blank after a comma is the commonest white space; a "0", which
    // starts every hex number, is known not to be any.
    const char *p = text;
    if (*p == ' ')
        ++p;
    if (*p != '0')
        p = skip_white(p);
    if (p[0] == '0' && (p[1] | 0x20) == 'x') {
        if (const unsigned d = digit_value(p[2]); d < 16)
            return convert_run<16>(p + 2, p + 3, d, false, end, saturated);
        *end = p + 1; // the "0" alone; "x" stops
        *saturated = false;
        return 0;
    }
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    return convert_run<10>(p, p, 0, negative, end, saturated);
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

// Lists at least this long are taken for lists of eight-digit hex numbers:
// their pieces are tried as such first (wide_hex_numbers.h). Shorter lists
// hold shorter numbers, which the attempt would only slow down.
inline constexpr std::ptrdiff_t wide_list_length = 64;

// Splits `text` at commas, skipping empty pieces, and stores parse_int32 of
// each piece into entry->values, setting entry->value_count. Returns false
// when there were more than 16 pieces: the first 16 are kept. `text_end`,
// where known, is where the terminator stands.
inline bool parse_value_list(param_entry *entry, const char *text,
                             const char *text_end = nullptr) noexcept
{
    const bool wide = text_end != nullptr && text_end - text >= wide_list_length;
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
        std::int64_t value = 0;
        if (!wide || !number_text::convert_hex8(p, text_end, &p, &value)) {
            bool saturated = false;
            value = number_text::convert(p, &p, &saturated);
        }
        entry->values[count++] = number_text::low_bits(value);
        if (*p == ',') { // the piece ends with its number
            ++p;
            continue;
        }
        while (*p != ',' && *p != '\0')
            ++p;
    }
    entry->value_count = static_cast<std::uint8_t>(count);
    return true;
}

} // namespace pexilon
