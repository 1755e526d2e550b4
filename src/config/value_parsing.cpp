#include "config/value_parsing.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "reader/text_helpers.h"

namespace pexilon {

namespace {

// Value of every byte as a digit; 99 (above every base) for non-digits.
constexpr auto digit_values = [] {
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

int digit_value(char c) noexcept { return digit_values[static_cast<unsigned char>(c)]; }

// The conversion of the C library's strtoll(text, NULL, Base) for bases 10
// and 16, from the first character after the leading white space, without
// its errno side effect: an optional sign, in base 16 an optional "0x" before
// a hex digit, then digits up to the first character that is not one;
// out-of-range values saturate. Stores the position after the digits in *end.
// With Reports, also stores in *saturated whether the value was out of range
// (for the checker; the parse's own instantiation does not pay for it).
template <unsigned Base, bool Reports = false>
std::int64_t convert(const char *p, const char **end, bool *saturated = nullptr) noexcept
{
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (Base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit_value(p[2]) < 16)
        p += 2;
    // The first 15 hex or 18 decimal digits cannot carry past 64 bits, so
    // they accumulate unchecked; only longer numbers pay for the check.
    constexpr int unchecked_digits = Base == 16 ? 15 : 18;
    std::uint64_t magnitude = 0;
    unsigned d = 0;
    int digits = 0;
    for (; digits < unchecked_digits && (d = static_cast<unsigned>(digit_value(*p))) < Base; ++p)
        magnitude = magnitude * Base + d, ++digits;
    bool overflow = false;
    if (digits == unchecked_digits) {
        constexpr std::uint64_t cutoff = UINT64_MAX / Base;
        constexpr unsigned cut_digit = UINT64_MAX % Base;
        for (; (d = static_cast<unsigned>(digit_value(*p))) < Base; ++p) {
            if (magnitude > cutoff || (magnitude == cutoff && d > cut_digit))
                overflow = true;
            magnitude = magnitude * Base + d;
        }
    }
    *end = p;
    // The magnitude may reach 2^63 for a negative number, 2^63 - 1 otherwise.
    const std::uint64_t limit = std::uint64_t{INT64_MAX} + (negative ? 1 : 0);
    if constexpr (Reports)
        *saturated = overflow || magnitude > limit;
    if (overflow || magnitude > limit)
        return negative ? INT64_MIN : INT64_MAX;
    // Two's complement negation of the magnitude, which may be 2^63.
    return negative ? static_cast<std::int64_t>(~magnitude + 1)
                    : static_cast<std::int64_t>(magnitude);
}

// Converts one number: decimal unless its text starts (after white space)
// with "0x" or "0X". A leading zero alone does not mean octal, and a sign
// keeps the base at 10.
std::int64_t convert_number(const char *text, const char **end) noexcept
{
    while (is_white(*text))
        ++text;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    return hex ? convert<16>(text, end) : convert<10>(text, end);
}

} // namespace

number_scan scan_number(const char *text) noexcept
{
    number_scan scan;
    while (is_white(*text))
        ++text;
    scan.start = text;
    scan.hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    scan.negative = text[0] == '-';
    scan.value = scan.hex ? convert<16, true>(text, &scan.end, &scan.saturated)
                          : convert<10, true>(text, &scan.end, &scan.saturated);
    // A conversion that took no digit stops after the sign at most, or after
    // the "0" of a "0x" with no hex digit behind it.
    for (const char *p = scan.start; p < scan.end && !scan.digits; ++p)
        scan.digits = digit_value(*p) < 10;
    return scan;
}

std::int64_t parse_int64(const char *text) noexcept
{
    const char *end = nullptr;
    return convert_number(text, &end);
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
        if (count < max_list_values) {
            entry->values[count++] =
                static_cast<std::uint32_t>(static_cast<std::uint64_t>(convert_number(p, &p)));
        } else {
            fits = false;
        }
        while (*p != '\0' && *p != ',')
            ++p;
    }
    entry->value_count = static_cast<std::uint8_t>(count);
    return fits;
}

} // namespace pexilon
