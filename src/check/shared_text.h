// Words that many diagnostics hold alike. A file that repeats one mistake
// 100,000 times draws one message 100,000 times: each diagnostic holds a
// counted reference to one block, 8 bytes where a string takes 32 and a
// block of its own. The text never changes once made; copies share the
// block and count it atomically, so copies may live on other threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pexilon::check {

class shared_text {
public:
    shared_text() noexcept = default;
    shared_text(std::string_view text) : block_(text.empty() ? nullptr : make(text)) {}
    shared_text(const std::string &text) : shared_text(std::string_view(text)) {}
    shared_text(const char *text) : shared_text(std::string_view(text)) {}
    shared_text(const shared_text &other) noexcept : block_(other.block_) { retain(); }
    shared_text(shared_text &&other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    shared_text &operator=(shared_text other) noexcept
    {
        std::swap(block_, other.block_);
        return *this;
    }
    ~shared_text() { release(); }

    std::string_view view() const noexcept
    {
        return block_ == nullptr ? std::string_view()
                                 : std::string_view(chars(block_), block_->size);
    }
    operator std::string_view() const noexcept { return view(); }
    // NUL-terminated, "" when empty.
    const char *c_str() const noexcept { return block_ == nullptr ? "" : chars(block_); }
    std::size_t size() const noexcept { return block_ == nullptr ? 0 : block_->size; }
    bool empty() const noexcept { return block_ == nullptr; }
    // Whether the two hold one block: then they hold the same words.
    bool shares(const shared_text &other) const noexcept { return block_ == other.block_; }
    // More words after these: a new block, so that copies keep theirs.
    shared_text &operator+=(std::string_view more)
    {
        std::string whole(view());
        whole += more;
        return *this = shared_text(whole);
    }

    friend bool operator==(const shared_text &a, const shared_text &b) noexcept
    {
        return a.view() == b.view();
    }
    friend bool operator==(const shared_text &a, std::string_view b) noexcept
    {
        return a.view() == b;
    }
    friend bool operator==(const shared_text &a, const char *b) noexcept { return a.view() == b; }
    friend bool operator==(const shared_text &a, const std::string &b) noexcept
    {
        return a.view() == b;
    }

private:
    struct header {
        std::atomic<std::uint32_t> refs;
        std::uint32_t size;
    };
    static char *chars(header *h) noexcept
    {
        return static_cast<char *>(static_cast<void *>(h)) + sizeof(header);
    }
    static header *make(std::string_view text)
    {
        if (text.size() >= UINT32_MAX)
            throw std::length_error("shared_text: over 4 GB of words");
        void *room = ::operator new(sizeof(header) + text.size() + 1);
        auto *h = new (room) header{{1}, static_cast<std::uint32_t>(text.size())};
        std::memcpy(chars(h), text.data(), text.size());
        chars(h)[text.size()] = '\0';
        return h;
    }
    void retain() const noexcept
    {
        if (block_ != nullptr)
            block_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    void release() noexcept
    {
        if (block_ != nullptr && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            block_->~header();
            ::operator delete(block_);
        }
        block_ = nullptr;
    }

    header *block_ = nullptr;
};

} // namespace pexilon::check
