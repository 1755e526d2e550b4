// Numbers and comma-separated number lists of configuration values.
#pragma once

#include <cstdint>

#include "pexilon/config_parser.h"

namespace pexilon {

// The numbers a list may hold: as many as an entry's values.
inline constexpr int max_list_values = sizeof(param_entry::values) / sizeof(param_entry::values[0]);

// Decimal, or hexadecimal after a leading "0x"/"0X" (white space before it
// allowed); a sign is taken in decimal only; no digits give 0; out-of-range
// values saturate to the 64-bit limits. Returns the low 32 bits.
std::uint32_t parse_int32(const char *text) noexcept;

// The same rule, returning all 64 bits.
std::int64_t parse_int64(const char *text) noexcept;

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

// Splits `text` at commas, skipping empty pieces, and stores parse_int32 of
// each piece into entry->values, setting entry->value_count. Returns false
// when there were more than 16 pieces: the first 16 are kept.
bool parse_value_list(param_entry *entry, const char *text) noexcept;

} // namespace pexilon
