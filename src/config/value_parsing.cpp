#include "config/value_parsing.h"

#include <cstdint>

namespace pexilon {

namespace number_text {

long_run convert_long_run(const char *first, const char *last, unsigned base,
                          bool negative) noexcept
{
    const std::uint64_t cutoff = UINT64_MAX / base;
    const unsigned cut_digit = static_cast<unsigned>(UINT64_MAX % base);
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (const char *p = first; p < last; ++p) {
        const unsigned d = digit_value(*p);
        if (magnitude > cutoff || (magnitude == cutoff && d > cut_digit))
            overflow = true;
        magnitude = magnitude * base + d;
    }
    // The magnitude may reach 2^63 for a negative number, 2^63 - 1 otherwise.
    if (overflow || magnitude > std::uint64_t{INT64_MAX} + (negative ? 1 : 0))
        return {negative ? INT64_MIN : INT64_MAX, true};
    // Two's complement negation of the magnitude, which may be 2^63.
    return {static_cast<std::int64_t>(negative ? ~magnitude + 1 : magnitude), false};
}

} // namespace number_text

number_scan scan_number(const char *text) noexcept
{
    number_scan scan;
    scan.start = number_text::skip_white(text);
    scan.hex = scan.start[0] == '0' && (scan.start[1] == 'x' || scan.start[1] == 'X');
    scan.negative = scan.start[0] == '-';
    scan.value = number_text::convert(scan.start, &scan.end, &scan.saturated);
    // A conversion that took no digit stops after the sign at most, or after
    // the "0" of a "0x" with no hex digit behind it.
    for (const char *p = scan.start; p < scan.end && !scan.digits; ++p)
        scan.digits = number_text::digit_value(*p) < 10;
    return scan;
}

} // namespace pexilon
