// Control of the failable heap that replaces the library's heap calls in the
// allocation-failure test build. All state is per thread.
#pragma once

#include <cstddef>

namespace pexilon_alloc {

// Starts counting afresh: the nth malloc or realloc from now on (1-based)
// returns null; 0 lets every allocation succeed. fail_from makes every
// allocation from the nth on fail, as when memory is exhausted for good.
void fail_nth(long n) noexcept;
void fail_from(long n) noexcept;
// Allocation calls since fail_nth.
long allocation_count() noexcept;
// Whether the armed allocation was reached (and failed). The tag and site
// below are those of the first failure.
bool failure_injected() noexcept;
// A number the test keeps current (here: the lines handed to the parser so
// far); the heap remembers its value at the moment of the injected failure.
void set_tag(int tag) noexcept;
int failure_tag() noexcept;
// The code address that made the failed call.
const void *failure_site() noexcept;

// Live blocks: count, size of one (0 when it is not live), and release of a
// block the library handed over (free plus unregistering).
std::size_t live_block_count() noexcept;
std::size_t live_block_size(const void *block) noexcept;
void release(void *block) noexcept;

} // namespace pexilon_alloc
