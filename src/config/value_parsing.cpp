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

} // namespace pexilon
