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
number_scan scan_number(const char *text) noexcept;

} // namespace pexilon
