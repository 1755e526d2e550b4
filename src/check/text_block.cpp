#include "check/text_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace pexilon::check {

namespace {

// Fresh memory comes a page at a time, each on its first touch: for a file
// of megabytes the faults cost more than the read. A block of this size or
// more is aligned for the kernel's huge pages (one fault and one clearing
// per 2 MB where it offers them), and its pages are asked for in one call
// where it does not.
constexpr std::size_t huge_page = std::size_t{2} << 20;
constexpr std::size_t large_block = huge_page;

void advise_large(char *p, std::size_t size) noexcept
{
#ifdef MADV_HUGEPAGE
    (void)madvise(p, size, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
    (void)madvise(p, size, MADV_POPULATE_WRITE);
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
    if (capacity > SIZE_MAX - huge_page)
        throw std::bad_alloc();
    capacity = (capacity + huge_page - 1) / huge_page * huge_page;
    char *p = static_cast<char *>(std::aligned_alloc(huge_page, capacity));
    if (p == nullptr)
        throw std::bad_alloc();
    // Advice only: a kernel without it says so, and the pages then come
    // one by one as before.
    advise_large(p, capacity);
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

} // namespace pexilon::check
