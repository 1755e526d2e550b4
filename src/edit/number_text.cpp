#include "edit/number_text.h"

#include <charconv>
#include <cstddef>

namespace pexilon::edit {

namespace {

bool hex_prefixed(std::string_view text) noexcept
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

bool lower_letters(std::string_view digits) noexcept
{
    for (const char c : digits)
        if (c >= 'a' && c <= 'f')
            return true;
    return false;
}

std::string hex_digits(std::uint64_t value, bool lower)
{
    char buffer[20];
    const auto done = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    std::string digits(buffer, done.ptr);
    if (!lower)
        for (char &c : digits)
            if (c >= 'a' && c <= 'f')
                c = static_cast<char>(c - 'a' + 'A');
    return digits;
}

} // namespace

std::string number_like(std::int64_t value, std::string_view old)
{
    if (!hex_prefixed(old) || value < 0)
        return std::to_string(value);
    const std::string_view old_digits = old.substr(2);
    std::string digits = hex_digits(static_cast<std::uint64_t>(value), lower_letters(old_digits));
    if (digits.size() < old_digits.size())
        digits.insert(0, old_digits.size() - digits.size(), '0');
    return std::string(old.substr(0, 2)) + digits;
}

std::string number_text(std::int64_t value, bool hex)
{
    if (!hex || value < 0)
        return std::to_string(value);
    return "0x" + hex_digits(static_cast<std::uint64_t>(value), false);
}

std::optional<std::int64_t> parse_number(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (hex_prefixed(text)) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    const auto done = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || done.ec != std::errc{} || done.ptr != text.data() + text.size())
        return std::nullopt;
    constexpr std::uint64_t top = std::uint64_t{1} << 63;
    if (negative ? magnitude > top : magnitude >= top)
        return std::nullopt;
    return negative ? static_cast<std::int64_t>(~magnitude + 1)
                    : static_cast<std::int64_t>(magnitude);
}

} // namespace pexilon::edit
