// Searches of a line's bytes for the first of a few, 32 bytes at a time.
// Lines and their parts are mostly short: a call to the C library, or a loop
// over single bytes whose exit moves from line to line, cost more than one
// wide compare done inline. Where the platform has no such compare, or fewer
// than 32 bytes may be read, the callers search as before.
#pragma once

#include <bit>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#define PEXILON_WIDE_SEARCH 1
#else
#define PEXILON_WIDE_SEARCH 0
#endif

namespace pexilon {

#if PEXILON_WIDE_SEARCH
// Bit i set where p[i] is one of Set, for the 32 bytes at p.
template <char... Set>
inline unsigned bytes_among(const char *p) noexcept
{
    const auto half = [](const char *q) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
        __m128i found = _mm_setzero_si128();
        ((found = _mm_or_si128(found, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(Set)))), ...);
        return static_cast<unsigned>(_mm_movemask_epi8(found));
    };
    return half(p) | half(p + 16) << 16;
}
#endif

// The first byte at or after p that is one of Set (Among) or none of them
// (!Among), looked at 32 at a time while 32 bytes before `readable_end`
// remain (null: none may be read); null when none is found there. The
// caller goes on from where the search stopped: *from.
template <bool Among, char... Set>
inline char *wide_scan(char *p, const char *readable_end, char **from) noexcept
{
#if PEXILON_WIDE_SEARCH
    while (readable_end != nullptr && readable_end - p >= 32) {
        const unsigned among = bytes_among<Set...>(p);
        if (const unsigned found = Among ? among : ~among; found != 0)
            return p + std::countr_zero(found);
        p += 32;
    }
#else
    (void)readable_end;
#endif
    *from = p;
    return nullptr;
}

// The first of Set at or after p (see wide_scan).
template <char... Set>
inline char *wide_search(char *p, const char *readable_end, char **from) noexcept
{
    return wide_scan<true, Set...>(p, readable_end, from);
}

// The first byte at or after p that is not a blank (" "), looked at 32 at a
// time while 32 before `readable_end` remain; where fewer do, or a run of
// blanks goes on past them, the caller's own scan goes on from the result.
inline char *skip_blanks(char *p, const char *readable_end) noexcept
{
    char *from = p;
    if (char *other = wide_scan<false, ' '>(p, readable_end, &from))
        return other;
    return from;
}

} // namespace pexilon
