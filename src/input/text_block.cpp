#include "input/text_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace pexilon::input {

namespace {

// Fresh memory comes a page at a time, each on its first touch: for a file
// of megabytes the faults cost more than the read. The pages of a block of
// this size or more are asked for in one call. (Not as huge pages: where the
// kernel must first gather them, the first such block of a process took
// 0.75-2.1 s.)
constexpr std::size_t large_block = std::size_t{1} << 20;

std::size_t page_size() noexcept
{
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::size_t>(size) : 4096;
}

void populate(char *p, std::size_t size) noexcept
{
#ifdef MADV_POPULATE_WRITE
    // Advice only: a kernel without it says so, and the pages then come one
    // by one as before.
    (void)madvise(p, size, MADV_POPULATE_WRITE);
#else
    (void)p, (void)size;
#endif
}

char *allocate(std::size_t &capacity)
{
    if (capacity < large_block) {
        char *p = static_cast<char *>(std::malloc(capacity));
        if (p == nullptr)
            throw std::bad_alloc();
        return p;
    }
    const std::size_t page = page_size();
    if (capacity > SIZE_MAX - page)
        throw std::bad_alloc();
    capacity = (capacity + page - 1) / page * page;
    char *p = static_cast<char *>(std::aligned_alloc(page, capacity));
    if (p == nullptr)
        throw std::bad_alloc();
    populate(p, capacity);
    return p;
}

} // namespace

void text_block::release::operator()(char *p) const noexcept { std::free(p); }

void text_block::reserve(std::size_t capacity)
{
    if (capacity <= capacity_)
        return;
    std::unique_ptr<char, release> next(allocate(capacity));
    if (size_ != 0)
        std::memcpy(next.get(), data_.get(), size_);
    data_ = std::move(next);
    capacity_ = capacity;
}

char *text_block::room(std::size_t wanted)
{
    if (capacity_ - size_ < wanted) {
        if (wanted > SIZE_MAX / 2 - size_)
            throw std::bad_alloc();
        const std::size_t needed = size_ + wanted;
        reserve(needed > 2 * capacity_ ? needed : 2 * capacity_);
    }
    return data_.get() + size_;
}

} // namespace pexilon::input
