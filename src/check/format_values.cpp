#include "check/format_values.h"

#include <vector>

namespace pexilon::check {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_hex_digit(char c)
{
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && is_white_byte(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_white_byte(text.back()))
        text.remove_suffix(1);
    return text;
}

// One number as the layout spells it, or "" when `item` is not one.
std::string tidy_number(std::string_view item, hex_case digits)
{
    std::string out;
    if (!item.empty() && (item.front() == '+' || item.front() == '-')) {
        out += item.front();
        item.remove_prefix(1);
    }
    if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X')) {
        item.remove_prefix(2);
        out += "0x";
        for (const char c : item) {
            if (!is_hex_digit(c))
                return {};
            if (digits == hex_case::upper && c >= 'a' && c <= 'f')
                out += static_cast<char>(c - 'a' + 'A');
            else if (digits == hex_case::lower && c >= 'A' && c <= 'F')
                out += static_cast<char>(c - 'A' + 'a');
            else
                out += c;
        }
        return out;
    }
    if (item.empty())
        return {};
    for (const char c : item)
        if (!is_digit(c))
            return {};
    return out.append(item);
}

} // namespace

std::string tidy_value(std::string_view value, value_shape shape, hex_case digits)
{
    if (shape == value_shape::text || value.empty())
        return std::string(value);
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        const std::string_view item = trimmed(
            value.substr(start, comma == std::string_view::npos ? value.npos : comma - start));
        const bool last = comma == std::string_view::npos;
        if (item.empty() && last && !items.empty()) {
            items.emplace_back(); // a comma at the end, as before a continued list
            break;
        }
        std::string number = tidy_number(item, digits);
        if (number.empty())
            return std::string(value);
        items.push_back(std::move(number));
        if (last)
            break;
        start = comma + 1;
    }
    std::string out = items.front();
    for (std::size_t i = 1; i < items.size(); ++i)
        out += items[i].empty() ? "," : ", " + items[i];
    return out;
}

} // namespace pexilon::check
