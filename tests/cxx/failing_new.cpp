#include "cxx/failing_new.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include <dlfcn.h>

namespace {

// Allocations left before the one that fails; 0 when none is to fail.
std::atomic<int> countdown{0};
std::atomic<bool> failed{false};

// The check library carries a C++ run time of its own, which cannot unwind
// an exception thrown by this program's. Where its allocations come here (in
// a sanitized build, whose run time supplies operator new), they never fail:
// what is tested is the header's code in this program.
bool from_check_library(void *caller) noexcept
{
    Dl_info info{};
    return dladdr(caller, &info) != 0 && info.dli_fname != nullptr &&
           std::strstr(info.dli_fname, "libpexilon_config_check") != nullptr;
}

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
    if (from_check_library(__builtin_return_address(0)))
        return std::malloc(size != 0 ? size : 1);
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

// The other forms come along, so that whatever a sanitizer's run time or a
// shared object takes from here is released by its match.
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t & /*tag*/) noexcept
{
    return std::malloc(size != 0 ? size : 1);
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t /*size*/) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t /*size*/) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t & /*tag*/) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t & /*tag*/) noexcept { std::free(p); }
