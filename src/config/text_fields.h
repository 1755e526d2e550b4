// Bounded copies into the record's fixed-size text fields.
#pragma once

#include <cstddef>

namespace pexilon {

// Copies at most `count` characters of src into dst and fills the rest of
// those `count` bytes with zeros. Like strncpy, dst is not terminated when
// src has `count` characters or more; bytes past `count` are not touched.
inline void copy_text_field(char *dst, const char *src, std::size_t count) noexcept
{
    std::size_t n = 0;
    for (; n < count && src[n] != '\0'; ++n)
        dst[n] = src[n];
    for (; n < count; ++n)
        dst[n] = '\0';
}

} // namespace pexilon
