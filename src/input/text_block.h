// The bytes of an input held in one block of memory. A file is read
// straight into it, with no copy through a smaller buffer; the pages of a
// large one are asked for at once.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace pexilon::input {

class text_block {
public:
    text_block() = default;

    std::string_view view() const noexcept { return {data_.get(), size_}; }
    operator std::string_view() const noexcept { return view(); }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }

    // Room for `capacity` bytes in all; what is held is kept.
    void reserve(std::size_t capacity);
    // Room for at least `wanted` bytes after what is held, grown as a
    // string grows; the bytes written there count once added().
    char *room(std::size_t wanted);
    std::size_t room_size() const noexcept { return capacity_ - size_; }
    void added(std::size_t count) noexcept { size_ += count; }

private:
    struct release {
        void operator()(char *p) const noexcept;
    };
    std::unique_ptr<char, release> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace pexilon::input
