// A vector most holders leave empty: most diagnostics have no note and no
// fix-it, and an empty std::vector still takes 24 bytes in each. This one
// takes 8 until something is put in it, and reads as a vector does.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace pexilon::check {

template <class T>
class boxed_vector {
public:
    boxed_vector() noexcept = default;
    boxed_vector(std::vector<T> items)
        : items_(items.empty() ? nullptr : std::make_unique<std::vector<T>>(std::move(items)))
    {
    }
    boxed_vector(const boxed_vector &other)
        : items_(other.items_ ? std::make_unique<std::vector<T>>(*other.items_) : nullptr)
    {
    }
    boxed_vector(boxed_vector &&other) noexcept = default;
    boxed_vector &operator=(boxed_vector other) noexcept
    {
        items_.swap(other.items_);
        return *this;
    }
    ~boxed_vector() = default;

    const T *begin() const noexcept { return items_ ? items_->data() : nullptr; }
    const T *end() const noexcept { return begin() + size(); }
    T *begin() noexcept { return items_ ? items_->data() : nullptr; }
    T *end() noexcept { return begin() + size(); }
    const T *data() const noexcept { return begin(); }
    std::size_t size() const noexcept { return items_ ? items_->size() : 0; }
    bool empty() const noexcept { return size() == 0; }
    const T &operator[](std::size_t i) const noexcept { return (*items_)[i]; }
    T &operator[](std::size_t i) noexcept { return (*items_)[i]; }
    const T &front() const noexcept { return items_->front(); }
    T &front() noexcept { return items_->front(); }
    const T &back() const noexcept { return items_->back(); }
    T &back() noexcept { return items_->back(); }

    // A vector of its own of the same items.
    std::vector<T> copied() const { return items_ ? *items_ : std::vector<T>(); }

    void push_back(T item) { held().push_back(std::move(item)); }
    void reserve(std::size_t count) { held().reserve(count); }
    void clear() noexcept { items_.reset(); }

private:
    std::vector<T> &held()
    {
        if (!items_)
            items_ = std::make_unique<std::vector<T>>();
        return *items_;
    }

    std::unique_ptr<std::vector<T>> items_;
};

} // namespace pexilon::check
