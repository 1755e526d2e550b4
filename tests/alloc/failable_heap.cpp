// The library's heap calls for the allocation-failure test build: a countdown
// makes one chosen allocation fail, or every one from it on, and a registry of live blocks lets the
// test prove that nothing leaks and that the record points only at live
// blocks of the right size.
#include "alloc/failable_heap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>

#include "support/heap.h"

namespace {

struct block {
    void *address;
    std::size_t size;
};

constexpr std::size_t max_blocks = 4096;
thread_local block live[max_blocks];
thread_local std::size_t live_count = 0;
thread_local long countdown = 0;
thread_local bool persistent = false;
thread_local long calls = 0;
thread_local bool injected = false;
thread_local int tag = 0;
thread_local int tag_at_failure = 0;
thread_local const void *site_at_failure = nullptr;

[[noreturn]] void die(const char *why)
{
    std::fprintf(stderr, "failable heap: %s\n", why);
    std::fflush(stdout);
    std::abort();
}

std::size_t find(const void *address)
{
    for (std::size_t i = 0; i < live_count; ++i)
        if (live[i].address == address)
            return i;
    return max_blocks;
}

void add(void *address, std::size_t size)
{
    if (live_count == max_blocks)
        die("more live blocks than the registry holds");
    live[live_count++] = {address, size};
}

void remove(const void *address)
{
    const std::size_t i = find(address);
    if (i == max_blocks)
        die("free of a block that is not live (double free, or never allocated here)");
    live[i] = live[--live_count];
}

// The code that called the heap, from the heap call's return address. An
// unoptimised build calls the array helper of heap.h out of line; its caller
// is then found in the stack (where a sanitizer may add frames of its own).
const void *call_site(void *return_address)
{
    const auto helper = reinterpret_cast<std::uintptr_t>(&pexilon::heap_realloc_array);
    const auto address = reinterpret_cast<std::uintptr_t>(return_address);
    if (address < helper || address - helper >= 512)
        return return_address;
    void *frames[8];
    const int n = backtrace(frames, 8);
    for (int i = 0; i + 1 < n; ++i)
        if (frames[i] == return_address)
            return frames[i + 1];
    return return_address;
}

// Counts one allocation; true when this is the one to fail.
bool should_fail(void *return_address)
{
    ++calls;
    if (countdown == 0 || calls < countdown || (calls > countdown && !persistent))
        return false;
    if (injected)
        return true;
    injected = true;
    tag_at_failure = tag;
    site_at_failure = call_site(return_address);
    return true;
}

} // namespace

namespace pexilon_alloc {

void fail_nth(long n) noexcept
{
    persistent = false;
    countdown = n;
    calls = 0;
    injected = false;
    tag = tag_at_failure = 0;
    site_at_failure = nullptr;
}
void fail_from(long n) noexcept
{
    fail_nth(n);
    persistent = true;
}
long allocation_count() noexcept { return calls; }
bool failure_injected() noexcept { return injected; }
void set_tag(int value) noexcept { tag = value; }
int failure_tag() noexcept { return tag_at_failure; }
const void *failure_site() noexcept { return site_at_failure; }
std::size_t live_block_count() noexcept { return live_count; }

std::size_t live_block_size(const void *address) noexcept
{
    const std::size_t i = find(address);
    return i == max_blocks ? 0 : live[i].size;
}

void release(void *address) noexcept { pexilon::heap_free(address); }

} // namespace pexilon_alloc

namespace pexilon {

void *heap_malloc(std::size_t size) noexcept
{
    if (should_fail(__builtin_return_address(0)))
        return nullptr;
    void *address = std::malloc(size == 0 ? 1 : size);
    if (address != nullptr)
        add(address, size);
    return address;
}

void *heap_realloc(void *address, std::size_t size) noexcept
{
    if (should_fail(__builtin_return_address(0)))
        return nullptr;
    const std::size_t i = address == nullptr ? max_blocks : find(address);
    if (address != nullptr && i == max_blocks)
        die("realloc of a block that is not live");
    void *moved = std::realloc(address, size == 0 ? 1 : size);
    if (moved == nullptr)
        return nullptr;
    if (i == max_blocks)
        add(moved, size);
    else
        live[i] = {moved, size};
    return moved;
}

void heap_free(void *address) noexcept
{
    if (address == nullptr)
        return;
    remove(address);
    std::free(address);
}

} // namespace pexilon
