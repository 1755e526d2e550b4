// Eight-digit hex numbers, converted eight digits at a time. Long register
// lists are mostly such numbers ("0x0000302D, 0xE6B99E69, ..."), and a loop
// over their digits took most of the parse of such a line. The test that a
// piece is one is a branch, not a computed length: where it holds line after
// line it is predicted, and the next piece is reached without waiting for
// the compare.
#pragma once

#include <cstdint>

#include "reader/byte_search.h"

namespace pexilon::number_text {

#if PEXILON_WIDE_SEARCH
// The 16 bytes at p are "0x" or "0X", eight hex digits and a byte that is
// not one: their value. Each byte is classed and converted at once; pairs
// of digits are joined in 16-bit lanes, then fours by a multiply-add.
inline bool hex_number_8(const char *p, std::uint32_t *value) noexcept
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    // x is in [0, n] when min(x, n) == x, unsigned.
    const auto at_most = [](__m128i x, char n) {
        return _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(n)), x);
    };
    const __m128i decimal = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i letter =
        _mm_sub_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i is_decimal = at_most(decimal, 9);
    const __m128i is_letter = at_most(letter, 'f' - 'a');
    const __m128i prefix = _mm_cmpeq_epi8(
        _mm_or_si128(bytes, _mm_setr_epi8(0, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)),
        _mm_setr_epi8('0', 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    const unsigned hex =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(is_decimal, is_letter)));
    const unsigned x = static_cast<unsigned>(_mm_movemask_epi8(prefix));
    // Bits 0-1: the prefix; 2-9: the digits; 10: the byte after them.
    if (((hex & 0x7FCu) | (x & 3u)) != 0x3FFu)
        return false;
    const __m128i nibbles =
        _mm_or_si128(_mm_and_si128(decimal, is_decimal),
                     _mm_and_si128(_mm_add_epi8(letter, _mm_set1_epi8(10)), is_letter));
    const __m128i digits = _mm_srli_si128(nibbles, 2); // the first digit in byte 0
    const __m128i pairs = _mm_or_si128(
        _mm_slli_epi16(_mm_and_si128(digits, _mm_set1_epi16(0xFF)), 4), _mm_srli_epi16(digits, 8));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(1 << 16 | 256));
    const auto word = static_cast<std::uint64_t>(_mm_cvtsi128_si64(fours));
    *value = static_cast<std::uint32_t>(word << 16) | static_cast<std::uint32_t>(word >> 32);
    return true;
}
#endif

// A piece of "0x" or "0X" and exactly eight hex digits, after at most one
// blank: its value, and where it ends in *end. False for any other piece,
// which is left to convert. The bytes before `text_end`, where the
// terminator stands, may be read; the terminator itself is not (it was
// written just before, and a wide load over it would wait for the write).
inline bool convert_hex8(const char *text, const char *text_end, const char **end,
                         std::int64_t *value) noexcept
{
#if PEXILON_WIDE_SEARCH
    const char *p = text + (*text == ' ' ? 1 : 0);
    std::uint32_t digits = 0;
    if (text_end - p < 16 || !hex_number_8(p, &digits))
        return false;
    *value = digits;
    *end = p + 10;
    return true;
#else
    (void)text, (void)text_end, (void)end, (void)value;
    return false;
#endif
}

} // namespace pexilon::number_text
