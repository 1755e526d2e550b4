#include "format/format_values.h"

#include <algorithm>

namespace pexilon::format {

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

// Appends one number as the layout spells it to `out`; false when `item` is
// not one.
bool tidy_number(std::string_view item, hex_case digits, std::string &out)
{
    if (!item.empty() && (item.front() == '+' || item.front() == '-')) {
        out += item.front();
        item.remove_prefix(1);
    }
    if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X')) {
        item.remove_prefix(2);
        out += "0x";
        for (const char c : item) {
            if (!is_hex_digit(c))
                return false;
            if (digits == hex_case::upper && c >= 'a' && c <= 'f')
                out += static_cast<char>(c - 'a' + 'A');
            else if (digits == hex_case::lower && c >= 'A' && c <= 'F')
                out += static_cast<char>(c - 'A' + 'a');
            else
                out += c;
        }
        return true;
    }
    if (item.empty() || !std::all_of(item.begin(), item.end(), is_digit))
        return false;
    out.append(item);
    return true;
}

} // namespace

void append_tidy_value(std::string &out, std::string_view value, value_shape shape, hex_case digits)
{
    if (shape == value_shape::text || value.empty()) {
        out.append(value);
        return;
    }
    const std::size_t start_size = out.size();
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        const bool last = comma == std::string_view::npos;
        const std::string_view item =
            trimmed(value.substr(start, last ? value.npos : comma - start));
        if (item.empty() && last && start != 0) {
            out += ','; // a comma at the end, as before a continued list
            return;
        }
        if (start != 0)
            out += ", ";
        if (!tidy_number(item, digits, out)) {
            out.resize(start_size);
            out.append(value);
            return;
        }
        if (last)
            return;
        start = comma + 1;
    }
}

std::string tidy_value(std::string_view value, value_shape shape, hex_case digits)
{
    std::string out;
    out.reserve(value.size() + 8);
    append_tidy_value(out, value, shape, digits);
    return out;
}

} // namespace pexilon::format
