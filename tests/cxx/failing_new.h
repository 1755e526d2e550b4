// The program's operator new, made to fail once on demand: for tests of what
// a header-only layer does when memory runs out in the middle of its work.
#pragma once

namespace pexilon_test {

// While one lives, the nth allocation through operator new from its
// construction on (1 for the next) throws std::bad_alloc; the others succeed.
class failing_new {
public:
    explicit failing_new(int nth) noexcept;
    ~failing_new();
    // True once the allocation it was made for has failed.
    bool struck() const noexcept;
    failing_new(const failing_new &) = delete;
    failing_new &operator=(const failing_new &) = delete;
};

} // namespace pexilon_test
