#include "edit/field_values.h"

#include <iterator>
#include <limits>
#include <type_traits>

#include "edit/number_text.h"

namespace pexilon::edit {

namespace {

std::string_view trimmed(std::string_view text) noexcept
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string range_text(const number_range &range)
{
    return std::to_string(range.low) + " to " + std::to_string(range.high);
}

bool in_range(std::int64_t value, const number_range &range) noexcept
{
    return value >= range.low && value <= range.high;
}

} // namespace

number_range range_of(const record_member &field) noexcept
{
    if (field.size >= 8)
        return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
    const unsigned bits = static_cast<unsigned>(field.size * 8);
    if (field.is_signed)
        return {-(std::int64_t{1} << (bits - 1)), (std::int64_t{1} << (bits - 1)) - 1};
    return {0, (std::int64_t{1} << bits) - 1};
}

number_range entry_value_range() noexcept
{
    return {0,
            std::numeric_limits<std::remove_all_extents_t<decltype(param_entry::values)>>::max()};
}

std::optional<std::int64_t> field_number(std::string_view text, const record_member &field,
                                         std::string &error)
{
    const std::optional<std::int64_t> value = parse_number(trimmed(text));
    if (!value) {
        error = "'" + std::string(text) + "' is not a number (decimal, or 0x hexadecimal)";
        return std::nullopt;
    }
    if (!in_range(*value, range_of(field))) {
        error = std::string(field.name) + " holds " + range_text(range_of(field)) + ", not " +
                std::to_string(*value);
        return std::nullopt;
    }
    return value;
}

bool field_text(std::string_view text, const key_row &key, std::string &error)
{
    if (text.size() > key.text_room) {
        error = std::string(key.name) + " holds at most " + std::to_string(key.text_room) +
                " bytes, not " + std::to_string(text.size());
        return false;
    }
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        error = std::string(key.name) +
                " is one line of text: it cannot hold a line end or a NUL byte, where it would end";
        return false;
    }
    return true;
}

bool entry_numbers(std::string_view text, std::vector<std::int64_t> &numbers,
                   std::vector<std::string> &written, std::string &error)
{
    text = trimmed(text);
    if (text.starts_with('[') && text.ends_with(']'))
        text = trimmed(text.substr(1, text.size() - 2));
    numbers.clear();
    written.clear();
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = trimmed(text.substr(0, comma));
        const std::optional<std::int64_t> value = parse_number(item);
        if (!value || !in_range(*value, entry_value_range())) {
            error = "'" + std::string(item) + "' is not an entry's number (" +
                    range_text(entry_value_range()) + ")";
            return false;
        }
        numbers.push_back(*value);
        written.emplace_back(item);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    if (numbers.size() > std::size(param_entry{}.values)) {
        error = "an entry holds at most " + std::to_string(std::size(param_entry{}.values)) +
                " numbers, not " + std::to_string(numbers.size());
        return false;
    }
    return true;
}

} // namespace pexilon::edit
