// Numbers and comma-separated number lists of configuration values.
#pragma once

#include <cstdint>

#include "config/value_list.h"

namespace pexilon {

// One number as parse_int64 reads it, with where it stands: for the checker,
// which tells what a value's text became.
struct number_scan {
    std::int64_t value = 0;
    const char *start = nullptr; // after the leading white space
    const char *end = nullptr;   // the first character not taken
    bool digits = false;         // a digit was taken (otherwise the value is 0)
    bool hex = false;            // "0x" or "0X" first
    bool negative = false;       // a "-" first
    bool saturated = false;      // beyond the 64-bit range, held at its limit
};
// Inline: the numbers' account runs it for every number of a listened parse.
inline number_scan scan_number(const char *text) noexcept
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
