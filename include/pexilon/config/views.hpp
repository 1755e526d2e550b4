/* Part of pexilon/config.hpp: views of the record's camera settings,
 * entries and controls, and the ranges that yield them. */

#ifndef PEXILON_CONFIG_VIEWS_HPP
#define PEXILON_CONFIG_VIEWS_HPP

#include <pexilon/config/codes.hpp>
#include <pexilon/config_parser.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

namespace pexilon {

namespace detail {

/* The text of a fixed-size field: up to its first NUL, at most `size` bytes. */
inline std::string_view bounded(const char *field, std::size_t size) noexcept
{
    const void *nul = std::memchr(field, '\0', size);
    return {field, nul != nullptr ? static_cast<std::size_t>(static_cast<const char *>(nul) - field)
                                  : size};
}

/* A random-access iterator over C structures that yields a view of each by
 * value. C++17 knows it as an input iterator (its reference is no reference);
 * C++20 ranges take it as random access. */
template <typename View, typename Raw>
class view_iterator {
public:
    using value_type = View;
    using reference = View;
    using pointer = void;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::input_iterator_tag;
    using iterator_concept = std::random_access_iterator_tag;

    view_iterator() noexcept = default;
    explicit view_iterator(const Raw *at) noexcept : at_(at) {}

    View operator*() const noexcept { return View(*at_); }
    View operator[](difference_type n) const noexcept { return View(at_[n]); }

    view_iterator &operator++() noexcept { return ++at_, *this; }
    view_iterator &operator--() noexcept { return --at_, *this; }
    view_iterator operator++(int) noexcept { return view_iterator(at_++); }
    view_iterator operator--(int) noexcept { return view_iterator(at_--); }
    view_iterator &operator+=(difference_type n) noexcept { return at_ += n, *this; }
    view_iterator &operator-=(difference_type n) noexcept { return at_ -= n, *this; }

    friend view_iterator operator+(view_iterator i, difference_type n) noexcept { return i += n; }
    friend view_iterator operator+(difference_type n, view_iterator i) noexcept { return i += n; }
    friend view_iterator operator-(view_iterator i, difference_type n) noexcept { return i -= n; }
    friend difference_type operator-(view_iterator a, view_iterator b) noexcept
    {
        return a.at_ - b.at_;
    }
    friend bool operator==(view_iterator a, view_iterator b) noexcept { return a.at_ == b.at_; }
    friend bool operator!=(view_iterator a, view_iterator b) noexcept { return a.at_ != b.at_; }
    friend bool operator<(view_iterator a, view_iterator b) noexcept { return a.at_ < b.at_; }
    friend bool operator>(view_iterator a, view_iterator b) noexcept { return a.at_ > b.at_; }
    friend bool operator<=(view_iterator a, view_iterator b) noexcept { return a.at_ <= b.at_; }
    friend bool operator>=(view_iterator a, view_iterator b) noexcept { return a.at_ >= b.at_; }

private:
    const Raw *at_ = nullptr;
};

/* The entries of one list of the record, as views. */
template <typename View, typename Raw>
class view_range {
public:
    using iterator = view_iterator<View, Raw>;
    using value_type = View;
    using size_type = std::size_t;

    view_range() noexcept = default;
    view_range(const Raw *first, std::size_t count) noexcept : first_(first), count_(count) {}

    iterator begin() const noexcept { return iterator(first_); }
    iterator end() const noexcept { return iterator(first_ + count_); }
    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    /** The view of entry i; i must be below size(). */
    View operator[](std::size_t i) const noexcept { return View(first_[i]); }

private:
    const Raw *first_ = nullptr;
    std::size_t count_ = 0;
};

} // namespace detail

/*==============================================================================
 * Views
 *
 * A view refers into the record of the config it came from: it is valid
 * while that config lives, is not moved from, and reads no further file
 * (append() may move the lists). Views are cheap to copy; they never own.
 *============================================================================*/

/** The camera settings, from the section "camera parameter". */
class camera_view {
public:
    explicit camera_view(const camera_settings &settings) noexcept : s_(&settings) {}

    std::uint32_t cfg_mode() const noexcept { return s_->cfg_mode; }
    /** TYPE, up to its terminator or all 50 characters. */
    std::string_view type() const noexcept { return detail::bounded(s_->type, sizeof s_->type); }
    std::uint32_t width() const noexcept { return s_->width; }
    std::uint32_t height() const noexcept { return s_->height; }
    std::uint8_t bit_width() const noexcept { return s_->bit_width; }
    std::uint16_t format() const noexcept { return s_->format; }
    std::uint8_t i2c_mode() const noexcept { return s_->i2c_mode; }
    std::uint16_t i2c_addr() const noexcept { return s_->i2c_addr; }
    std::uint32_t trans_lvl() const noexcept { return s_->trans_lvl; }
    const camera_settings &raw() const noexcept { return *s_; }

private:
    const camera_settings *s_;
};

/** The numbers of one entry: contiguous, as many as its value_count (at
 * most 16). Under C++20 it converts to std::span<const std::uint32_t>. */
class value_span {
public:
    using value_type = std::uint32_t;
    using iterator = const std::uint32_t *;

    value_span() noexcept = default;
    value_span(const std::uint32_t *data, std::size_t size) noexcept : data_(data), size_(size) {}

    const std::uint32_t *data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    const std::uint32_t *begin() const noexcept { return data_; }
    const std::uint32_t *end() const noexcept { return data_ + size_; }
    /** Number i; i must be below size(). */
    std::uint32_t operator[](std::size_t i) const noexcept { return data_[i]; }

private:
    const std::uint32_t *data_ = nullptr;
    std::size_t size_ = 0;
};

/** One line of a board or register section. */
class entry {
public:
    explicit entry(const param_entry &raw) noexcept : e_(&raw) {}

    /** The whole code: section | key. */
    std::uint32_t type() const noexcept { return e_->type; }
    pexilon::kind kind() const noexcept { return static_cast<pexilon::kind>(e_->type >> 24); }
    pexilon::variant variant() const noexcept
    {
        return static_cast<pexilon::variant>((e_->type >> 16) & 0xFFu);
    }
    pexilon::key key() const noexcept { return static_cast<pexilon::key>(e_->type & 0xFFFFu); }
    pexilon::value_span values() const noexcept
    {
        const std::size_t count = e_->value_count;
        const std::size_t room = sizeof e_->values / sizeof e_->values[0];
        return {e_->values, count < room ? count : room};
    }
    const param_entry &raw() const noexcept { return *e_; }

private:
    const param_entry *e_;
};

/** One control section. */
class control {
public:
    explicit control(const control_entry &raw) noexcept : c_(&raw) {}

    std::int64_t min() const noexcept { return c_->min_value; }
    std::int64_t max() const noexcept { return c_->max_value; }
    std::int32_t step() const noexcept { return c_->step; }
    std::int64_t def() const noexcept { return c_->def; }
    /** CTRL_NAME, up to its terminator (never past the field's 128 bytes). */
    std::string_view name() const noexcept
    {
        return detail::bounded(c_->ctrl_name, sizeof c_->ctrl_name);
    }
    /** FUNC_NAME, up to its terminator (never past the field's 128 bytes). */
    std::string_view function() const noexcept
    {
        return detail::bounded(c_->func_name, sizeof c_->func_name);
    }
    /** The code block's text, empty without one (has_code() tells apart an
     * empty block from none). */
    std::string_view code() const noexcept
    {
        return c_->code != nullptr ? std::string_view(c_->code) : std::string_view();
    }
    bool has_code() const noexcept { return c_->code != nullptr; }
    const control_entry &raw() const noexcept { return *c_; }

private:
    const control_entry *c_;
};

using entry_range = detail::view_range<entry, param_entry>;
using control_range = detail::view_range<control, control_entry>;

} // namespace pexilon

#endif /* PEXILON_CONFIG_VIEWS_HPP */
