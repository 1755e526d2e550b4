#include "cxx/failing_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Allocations left before the one that fails; 0 when none is to fail.
std::atomic<int> countdown{0};
std::atomic<bool> failed{false};

} // namespace

namespace pexilon_test {

failing_new::failing_new(int nth) noexcept
{
    failed = false;
    countdown = nth;
}
failing_new::~failing_new() { countdown = 0; }
bool failing_new::struck() const noexcept { return failed; }

} // namespace pexilon_test

void *operator new(std::size_t size)
{
    int left = countdown.load();
    while (left > 0 && !countdown.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 1) {
        failed = true;
        throw std::bad_alloc();
    }
    if (void *p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t /*size*/) noexcept { std::free(p); }
