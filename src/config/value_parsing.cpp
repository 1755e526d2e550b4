#include "config/value_parsing.h"

#include <cstdint>

namespace pexilon {

namespace number_text {

std::uint64_t accumulate_checked(const char *first, const char *last, unsigned base,
                                 bool *overflow) noexcept
{
    const std::uint64_t cutoff = UINT64_MAX / base;
    const unsigned cut_digit = static_cast<unsigned>(UINT64_MAX % base);
    std::uint64_t magnitude = 0;
    for (const char *p = first; p < last; ++p) {
        const unsigned d = digit_value(*p);
        if (magnitude > cutoff || (magnitude == cutoff && d > cut_digit))
            *overflow = true;
        magnitude = magnitude * base + d;
    }
    return magnitude;
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
