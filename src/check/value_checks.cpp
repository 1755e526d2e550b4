#include "check/value_checks.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "config/value_parsing.h"
#include "reader/text_helpers.h"

namespace pexilon::check {

namespace {

// The record's text fields: TYPE fills its field and goes unterminated when
// it is as long as the field; the names always keep a terminator.
constexpr std::size_t type_room = sizeof(camera_settings::type);
constexpr std::size_t name_room = sizeof(control_entry::ctrl_name) - 1;

struct number_field {
    unsigned bits; // 8, 16, 32 or 64
    bool is_signed;
};

std::string shown(std::int64_t value, bool hex)
{
    char text[32];
    if (hex)
        std::snprintf(text, sizeof text, "0x%" PRIX64, static_cast<std::uint64_t>(value));
    else
        std::snprintf(text, sizeof text, "%" PRId64, value);
    return text;
}

// What a field of `type` keeps of `value`.
std::int64_t kept(std::int64_t value, number_field type)
{
    const auto bits = static_cast<std::uint64_t>(value);
    switch (type.bits) {
    case 8:
        return static_cast<std::uint8_t>(bits);
    case 16:
        return static_cast<std::uint16_t>(bits);
    case 32:
        return type.is_signed ? std::int64_t{static_cast<std::int32_t>(bits)}
                              : std::int64_t{static_cast<std::uint32_t>(bits)};
    default:
        return value;
    }
}

std::string_view trimmed(std::string_view text, std::size_t &offset)
{
    while (!text.empty() && is_white(text.front())) {
        text.remove_prefix(1);
        ++offset;
    }
    while (!text.empty() && is_white(text.back()))
        text.remove_suffix(1);
    return text;
}

// Where a number went: a field ("camera.bit_width"), or the n-th number
// of a key's list. Spelled out only for a finding.
struct destination {
    const char *field = nullptr;
    std::string_view key;
    std::size_t index = 0;

    std::string text() const
    {
        if (field != nullptr)
            return field;
        return std::string(key) + "'s number " + std::to_string(index);
    }
};

// One number in `item` (a whole value, or one item of a list) at `offset`
// in the value.
void check_number(std::string_view item, std::size_t offset, number_field type,
                  const destination &where, bool in_list, std::vector<finding> &out)
{
    std::size_t start = offset;
    const std::string_view text = trimmed(item, start);
    const std::size_t end = start + text.size();
    if (text.empty()) {
        const std::string what = where.text();
        out.push_back({"number-syntax",
                       in_list ? "an empty item between commas is read as 0: " + what + " got 0"
                               : "no number is given: " + what + " got 0",
                       offset, offset + item.size()});
        return;
    }
    // Read on a terminated copy, on the stack for any number of sane length.
    char small[64];
    std::string large;
    const char *terminated = small;
    if (text.size() < sizeof small) {
        std::memcpy(small, text.data(), text.size());
        small[text.size()] = '\0';
    } else {
        large.assign(text);
        terminated = large.c_str();
    }
    const number_scan scan = scan_number(terminated);
    const std::size_t taken = static_cast<std::size_t>(scan.end - terminated);
    const std::int64_t stored = kept(scan.value, type);
    // The common case costs no text: a number alone that fits its field.
    if (scan.digits && taken == text.size() && !scan.saturated &&
        (type.is_signed || scan.value >= 0) && stored == scan.value)
        return;
    const std::string what = where.text();
    const std::string copy(text);
    if (!scan.digits) {
        out.push_back(
            {"number-syntax", "'" + copy + "' is not a number: " + what + " got 0", start, end});
        return;
    }
    const std::string stored_text = shown(stored, scan.hex);
    if (taken < copy.size()) {
        std::size_t rest = taken;
        while (rest < copy.size() && is_white(copy[rest]))
            ++rest;
        const std::string taken_text = copy.substr(0, taken);
        const std::string rest_text = copy.substr(rest);
        if (!in_list && copy[rest] == ',') {
            out.push_back({"value-count",
                           "one number is read from this list: " + what + " got " + stored_text +
                               " and the rest is ignored",
                           start + rest, end});
        } else if (rest > taken && (std::strchr("0123456789+-", copy[rest]) != nullptr)) {
            out.push_back({"number-syntax",
                           "two numbers without a comma between them: " + what + " got " +
                               stored_text + " and '" + rest_text + "' is lost",
                           start, end});
        } else {
            out.push_back({"number-syntax",
                           "'" + copy.substr(taken) + "' after the number " + taken_text +
                               " is ignored: " + what + " got " + stored_text,
                           start + taken, end});
        }
    }
    if (scan.saturated) {
        out.push_back({"number-range",
                       "'" + copy.substr(0, taken) + "' is beyond the 64-bit range: " + what +
                           " got " + shown(stored, scan.hex),
                       start, start + taken});
    } else if (!type.is_signed && scan.value < 0) {
        out.push_back(
            {"number-range",
             "negative number in an unsigned field: " + what + " got " + shown(stored, false),
             start, start + taken});
    } else if (stored != scan.value) {
        out.push_back({"number-range",
                       copy.substr(0, taken) + " does not fit in " + std::to_string(type.bits) +
                           " bits: " + what + " got " + stored_text,
                       start, start + taken});
    }
}

struct list_item {
    std::string_view text;
    std::size_t offset;
};

// The items of a list as parse_value_list takes them: split at commas,
// empty ones skipped (it keeps the first 16).
std::vector<list_item> list_items(std::string_view value)
{
    std::vector<list_item> items;
    std::size_t position = 0;
    while (position < value.size()) {
        if (value[position] == ',') {
            ++position;
            continue;
        }
        std::size_t end = value.find(',', position);
        if (end == std::string_view::npos)
            end = value.size();
        items.push_back({value.substr(position, end - position), position});
        position = end;
    }
    return items;
}

void check_list(std::string_view value, std::string_view key, number_field type,
                std::vector<finding> &out)
{
    const std::vector<list_item> items = list_items(value);
    for (std::size_t i = 0; i < items.size() && i < max_list_values; ++i)
        check_number(items[i].text, items[i].offset, type, {nullptr, key, i + 1}, true, out);
}

void check_text(std::string_view value, std::string_view key, std::size_t limit, const char *label,
                std::vector<finding> &out)
{
    if (value.size() > limit) {
        out.push_back({"text-truncated",
                       std::string(key) + " has " + std::to_string(value.size()) +
                           " characters: " + label + " keeps the first " + std::to_string(limit),
                       limit, value.size()});
    } else if (value.size() == limit && limit == type_room) {
        out.push_back({"text-truncated",
                       std::string(key) + " has " + std::to_string(limit) +
                           " characters: " + label + " is filled to its end and has no terminator",
                       0, value.size()});
    }
}

void check_pair_count(std::string_view value, std::string_view key, bool format,
                      std::vector<finding> &out)
{
    const std::size_t count = list_items(value).size();
    if (count == 2)
        return;
    std::string message;
    if (format && count == 1)
        message = "FORMAT has one number: it goes to the high byte of camera.format, whose "
                  "low byte becomes 0";
    else if (format)
        message = "FORMAT needs two numbers; with " + std::to_string(count) +
                  ", camera.format keeps its value";
    else
        message = std::string(key) + " needs two numbers, width and height; with " +
                  std::to_string(count) + ", camera.width and camera.height keep their values";
    out.push_back({"value-count", message, 0, value.size()});
}

} // namespace

const char *field_label(record_field field)
{
    switch (field) {
    case record_field::none:
        return "nothing";
    case record_field::cfg_mode:
        return "camera.cfg_mode";
    case record_field::type:
        return "camera.type";
    case record_field::bit_width:
        return "camera.bit_width";
    case record_field::i2c_mode:
        return "camera.i2c_mode";
    case record_field::i2c_addr:
        return "camera.i2c_addr";
    case record_field::trans_lvl:
        return "camera.trans_lvl";
    case record_field::size:
        return "camera.width and camera.height";
    case record_field::format:
        return "camera.format";
    case record_field::param_entry:
        return "params[]";
    case record_field::control:
        return "controls[]";
    case record_field::min_value:
        return "min_value";
    case record_field::max_value:
        return "max_value";
    case record_field::step:
        return "step";
    case record_field::def:
        return "def";
    case record_field::ctrl_name:
        return "ctrl_name";
    case record_field::func_name:
        return "func_name";
    case record_field::code:
        return "code";
    }
    return "nothing";
}

bool holds_one_value(record_field field)
{
    return field != record_field::param_entry && field != record_field::size &&
           field != record_field::format && field != record_field::none &&
           field != record_field::control && field != record_field::code;
}

std::vector<finding> check_value(record_field field, std::string_view key, const char *value)
{
    std::vector<finding> out;
    const std::string_view text = value;
    const destination label{field_label(field), {}, 0};
    switch (field) {
    case record_field::cfg_mode:
    case record_field::trans_lvl:
        check_number(text, 0, {32, false}, label, false, out);
        break;
    case record_field::bit_width:
    case record_field::i2c_mode:
        check_number(text, 0, {8, false}, label, false, out);
        break;
    case record_field::i2c_addr:
        check_number(text, 0, {16, false}, label, false, out);
        break;
    case record_field::min_value:
    case record_field::max_value:
    case record_field::def:
        check_number(text, 0, {64, true}, label, false, out);
        break;
    case record_field::step:
        check_number(text, 0, {32, true}, label, false, out);
        break;
    case record_field::type:
        check_text(text, key, type_room, "camera.type", out);
        break;
    case record_field::ctrl_name:
    case record_field::func_name:
        check_text(text, key, name_room, field_label(field), out);
        break;
    case record_field::size:
        check_pair_count(text, key, false, out);
        check_list(text, key, {32, false}, out);
        break;
    case record_field::format:
        check_pair_count(text, key, true, out);
        check_list(text, key, {8, false}, out);
        break;
    case record_field::param_entry:
        check_list(text, key, {32, false}, out);
        break;
    case record_field::none:
    case record_field::control:
    case record_field::code:
        break;
    }
    return out;
}

} // namespace pexilon::check
