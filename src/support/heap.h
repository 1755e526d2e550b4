// The library's heap calls. Every allocation of the library, in the reader
// and in the record alike, goes through these, so that a test build can make
// the Nth one fail; blocks handed to a caller are released through them too.
#pragma once

#include <cstddef>
#include <cstdlib>

namespace pexilon {

#ifdef PEXILON_FAILABLE_HEAP
void *heap_malloc(std::size_t size) noexcept;
void *heap_realloc(void *block, std::size_t size) noexcept;
void heap_free(void *block) noexcept;
#else
inline void *heap_malloc(std::size_t size) noexcept { return std::malloc(size); }
inline void *heap_realloc(void *block, std::size_t size) noexcept
{
    return std::realloc(block, size);
}
inline void heap_free(void *block) noexcept { std::free(block); }
#endif

// realloc for an array of `count` elements of `size` bytes; null (and the
// block left as it was) when the byte count would overflow.
inline void *heap_realloc_array(void *block, std::size_t count, std::size_t size) noexcept
{
    if (size != 0 && count > static_cast<std::size_t>(-1) / size)
        return nullptr;
    return heap_realloc(block, count * size);
}

} // namespace pexilon
