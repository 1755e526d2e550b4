#include "check/size_pair.h"

#include <algorithm>

#include "check/fixits.h"
#include "config/record_fields.h"
#include "config/value_parsing.h"

namespace pexilon::check {

namespace {

// The camera key that sets width and height together.
constexpr const key_row *pair_key()
{
    for (const key_row &key : rows_of(camera_keys))
        if (key.form == value_form::pair)
            return &key;
    return nullptr;
}
// Asked of the table's rows, not of the pointer, which a sanitized build
// cannot compare with null at compile time.
constexpr bool a_camera_key_sets_two_fields()
{
    for (const key_row &key : rows_of(camera_keys))
        if (key.form == value_form::pair)
            return key.member >= 0;
    return false;
}
static_assert(a_camera_key_sets_two_fields(), "a camera key sets two fields");

// One number, nothing around it, that the field keeps whole.
bool plain_number(const std::string &value, const record_member &field)
{
    const char *text = value.c_str();
    const number_scan n = scan_number(text);
    return n.digits && !n.negative && !n.saturated && n.start == text &&
           n.end == text + value.size() && kept_value(field, n.value) == n.value;
}

// "which sets camera.width to 1920 and camera.height to 1080", naming only
// the fields whose value changes; record_unchanged's words when neither does.
std::string change_words(const key_row &key, const camera_settings &camera,
                         const std::string &other_line, const std::string (&values)[2])
{
    const record_member *fields = member_of(key);
    const std::string prefix = label_prefix(key.target);
    std::string sets;
    std::string keeps;
    for (std::size_t i = 0; i < 2; ++i) {
        const std::int64_t now = number_of(&camera, fields[i]);
        const std::int64_t then = scan_number(values[i].c_str()).value;
        std::string &words = now == then ? keeps : sets;
        words += (words.empty() ? "" : " and ") + prefix + fields[i].name +
                 (now == then ? " keeps " : " to ") + std::to_string(then);
    }
    if (sets.empty())
        return record_unchanged(keeps);
    return "this line and line " + other_line + " are read as the key " + key.name +
           ", which sets " + sets;
}

} // namespace

const std::vector<std::string> &size_halves()
{
    static const std::vector<std::string> names{"WIDTH", "HEIGHT"};
    return names;
}

void size_section::add(size_half half)
{
    const auto near = [&](bool size_half::*which) {
        return std::count_if(halves.begin(), halves.end(),
                             [&](const size_half &h) { return h.*which; });
    };
    crowded = crowded || (half.width && near(&size_half::width) > 0) ||
              (half.height && near(&size_half::height) > 0);
    if (crowded)
        halves = {};
    else
        halves.push_back(std::move(half));
}

size_join join_size_halves(const size_section &section, const camera_settings &camera,
                           const line_map &map)
{
    size_join out;
    if (section.crowded)
        return out;
    const size_half *width = nullptr;
    const size_half *height = nullptr;
    std::size_t widths = 0;
    std::size_t heights = 0;
    for (const size_half &half : section.halves) {
        if (half.width) {
            ++widths;
            width = &half;
        }
        if (half.height) {
            ++heights;
            height = &half;
        }
    }
    if (section.size_line || widths != 1 || heights != 1 || width == height)
        return out;
    const key_row &key = *pair_key();
    const record_member *fields = member_of(key);
    if (!plain_number(width->value, fields[0]) || !plain_number(height->value, fields[1]))
        return out;
    // The first line becomes SIZE; the other is emptied whole, so nothing of
    // it may be lost (a comment) or left to be read as a continuation.
    const bool width_first = width->reader_line < height->reader_line;
    const size_half &first = width_first ? *width : *height;
    const size_half &second = width_first ? *height : *width;
    if (!first.single_piece || !second.single_piece || !second.bare)
        return out;
    const std::string change =
        change_words(key, camera, std::to_string(map.editor_line(second.reader_line)),
                     {width->value, height->value});
    // The fields it sets, as its words name them.
    record_change sets;
    for (int i = 0; i < 2; ++i)
        if (number_of(&camera, fields[i]) !=
            scan_number((i == 0 ? width : height)->value.c_str()).value)
            sets.camera |= field_bits(key.member + i, 1);
    out.diagnostic = first.diagnostic;
    out.fixes.push_back({{first.reader_line, false, first.pair},
                         std::string(key.name) + " = " + width->value + ", " + height->value,
                         change,
                         {sets}});
    out.fixes.push_back({{second.reader_line, false, {0, second.text_end}}, "", change, {sets}});
    return out;
}

} // namespace pexilon::check
