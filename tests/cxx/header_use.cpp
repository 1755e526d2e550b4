// Compiled, not run: both C++ headers as a host includes them, every
// iterator operation instantiated, and the properties the interface promises
// checked at compile time. Built by each compiler as C++17 and C++20, with and
// without exceptions, under the warnings a careful host turns on.
#include <pexilon/check.hpp>
#include <pexilon/config.hpp>

#include <iterator>
#include <type_traits>
#if __cplusplus >= 202002L
#include <ranges>
#include <span>
#endif

// Included twice: the guards hold.
#include <pexilon/check.hpp>
#include <pexilon/config.hpp>

static_assert(!std::is_copy_constructible_v<pexilon::config>);
static_assert(!std::is_copy_assignable_v<pexilon::config>);
static_assert(std::is_nothrow_move_constructible_v<pexilon::config>);
static_assert(std::is_nothrow_move_assignable_v<pexilon::config>);
static_assert(std::is_nothrow_swappable_v<pexilon::config>);
static_assert(std::is_nothrow_default_constructible_v<pexilon::config>);
static_assert(noexcept(pexilon::load("", std::nothrow)));
static_assert(noexcept(std::declval<pexilon::config &>().append("", std::nothrow)));
static_assert(noexcept(pexilon::check("", std::nothrow)));
static_assert(std::is_same_v<decltype(&pexilon::checker_reason), pexilon::fault_describer>);
static_assert(std::is_same_v<std::underlying_type_t<pexilon::kind>, std::uint8_t>);

static_assert(!std::is_copy_constructible_v<pexilon::document>);
static_assert(std::is_nothrow_move_assignable_v<pexilon::document>);
static_assert(noexcept(pexilon::document::loads("", std::nothrow)));
static_assert(noexcept(std::declval<pexilon::document &>().set("camera.width", 1, std::nothrow)));
static_assert(noexcept(std::declval<const pexilon::document &>().save("", std::nothrow)));
static_assert(noexcept(pexilon::dumps(pexilon::config(), std::declval<std::string &>(),
                                      std::nothrow)));

#if PEXILON_CXX_EXCEPTIONS
static_assert(std::is_base_of_v<std::runtime_error, pexilon::edit_error>);
static_assert(std::is_nothrow_copy_constructible_v<pexilon::edit_error>);
// Thrown and caught by copy as every exception may be: copying never throws.
static_assert(std::is_base_of_v<std::runtime_error, pexilon::parse_error>);
static_assert(std::is_nothrow_copy_constructible_v<pexilon::parse_error>);
static_assert(std::is_same_v<decltype(pexilon::load("")), pexilon::config>);
#endif

using entry_iterator = pexilon::entry_range::iterator;
static_assert(std::is_same_v<std::iterator_traits<entry_iterator>::value_type, pexilon::entry>);
#if __cplusplus >= 202002L
static_assert(std::random_access_iterator<entry_iterator>);
static_assert(std::ranges::random_access_range<pexilon::entry_range>);
static_assert(std::ranges::sized_range<pexilon::control_range>);
static_assert(std::ranges::contiguous_range<pexilon::value_span>);
static_assert(std::is_convertible_v<pexilon::value_span, std::span<const std::uint32_t>>);
#endif

// Every operation of the iterators, and every view, once.
std::size_t use_everything(const pexilon::config &cfg);
std::size_t use_everything(const pexilon::config &cfg)
{
    std::size_t n = 0;
    pexilon::entry_range entries = cfg.entries();
    entry_iterator i = entries.begin();
    entry_iterator j = i++;
    j = 1 + j;
    j = j - 1;
    --j;
    j--;
    j += 2;
    j -= 2;
    n += static_cast<std::size_t>(entries.end() - j);
    n += static_cast<std::size_t>((i == j) + (i != j) + (i < j) + (i > j) + (i <= j) + (i >= j));
    if (!entries.empty()) {
        const pexilon::entry e = j[0];
        n += e.values().size() + e.values()[0] + static_cast<std::size_t>(e.kind()) +
             static_cast<std::size_t>(e.variant()) + static_cast<std::size_t>(e.key());
    }
    for (const pexilon::control c : cfg.controls())
        n += c.name().size() + c.function().size() + c.code().size() +
             static_cast<std::size_t>(c.min() + c.max() + c.step() + c.def());
    const pexilon::camera_view cam = cfg.camera();
    n += cam.type().size() + cam.width() + cam.height() + cam.bit_width() + cam.format() +
         cam.i2c_mode() + cam.i2c_addr() + cam.trans_lvl() + cam.cfg_mode();
    return n + cfg.raw().param_count;
}
