// The text of a code block, gathered on the heap line by line.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "support/heap.h"

namespace pexilon {

// The gathered text on the heap. Once an allocation fails the text is
// dropped, but the block is still read to its end. One serves every block of
// a parse: the memory of a text its receiver copied is used again.
class block_text {
public:
    block_text() noexcept = default;
    ~block_text() { heap_free(data_); }
    block_text(const block_text &) = delete;
    block_text &operator=(const block_text &) = delete;

    // Starts an empty text, in the memory of the last one if it is still
    // held; false when no memory could be had.
    bool start() noexcept
    {
        if (data_ == nullptr) {
            data_ = static_cast<char *>(heap_malloc(initial_capacity));
            capacity_ = data_ != nullptr ? initial_capacity : 0;
        }
        size_ = 0;
        estimate_ = 0;
        if (data_ != nullptr)
            data_[0] = '\0';
        return data_ != nullptr;
    }

    bool held() const noexcept { return data_ != nullptr; }
    char *data() noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

    // Gives the block up: its new owner releases it.
    void release() noexcept
    {
        data_ = nullptr;
        capacity_ = 0;
    }

    // Appends the `length` characters of `line` and a newline; false when
    // the text could not grow.
    bool append(const char *line, std::size_t length) noexcept
    {
        if (data_ == nullptr)
            return true; // already dropped and reported
        // The estimate counts 3 bytes per line where 2 (newline and
        // terminator) are needed, so it always covers the text; the buffer
        // grows when the estimate passes it, with slack and at least doubling
        // so that a long block costs linear time.
        estimate_ += length + 3;
        if (capacity_ < estimate_ && !grow())
            return false;
        std::memcpy(data_ + size_, line, length);
        size_ += length;
        data_[size_++] = '\n';
        data_[size_] = '\0';
        return true;
    }

private:
    // Room for a control's usual few lines of code without growing: the text
    // is trimmed to its size when it is kept, so the room costs nothing after.
    static constexpr std::size_t initial_capacity = 256;
    static constexpr std::size_t slack = 100;

    bool grow() noexcept
    {
        std::size_t wanted = estimate_ + slack;
        if (capacity_ <= static_cast<std::size_t>(-1) / 2)
            wanted = std::max(wanted, capacity_ * 2);
        void *block = heap_realloc(data_, wanted);
        if (block == nullptr) {
            heap_free(data_);
            data_ = nullptr;
            capacity_ = 0;
            return false;
        }
        data_ = static_cast<char *>(block);
        capacity_ = wanted;
        return true;
    }

    char *data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t estimate_ = 0;
};

} // namespace pexilon
