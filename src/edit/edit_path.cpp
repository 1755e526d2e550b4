#include "edit/edit_path.h"

#include <charconv>
#include <cstring>

#include "config/record_fields.h"

namespace pexilon::edit {

namespace {

const record_member *member_named(std::span<const record_member> members, std::string_view name)
{
    for (const record_member &member : members)
        if (name == member.json_name)
            return &member;
    return nullptr;
}

// "[2]" or "[Exposure]" after a list's name: the index, or the control whose
// CTRL_NAME the text is.
bool take_index(std::string_view &rest, const parsed_config &record, bool controls,
                std::size_t &index, std::string &error)
{
    const std::size_t close = rest.find(']');
    if (rest.empty() || rest[0] != '[' || close == std::string_view::npos) {
        error = "a list needs an index in brackets";
        return false;
    }
    const std::string_view inside = rest.substr(1, close - 1);
    rest.remove_prefix(close + 1);
    const std::size_t count = controls ? record.control_count : record.param_count;
    const auto done = std::from_chars(inside.data(), inside.data() + inside.size(), index);
    if (!inside.empty() && done.ec == std::errc{} && done.ptr == inside.data() + inside.size()) {
        if (index < count)
            return true;
        error = "there is no index " + std::string(inside) + " (the file has " +
                std::to_string(count) + ")";
        return false;
    }
    for (std::size_t i = 0; controls && i < count; ++i) {
        if (inside == text_of(&record.controls[i],
                              *member_of(*key_by_code(rows_of(control_keys), key_ctrl_name)))) {
            index = i;
            return true;
        }
    }
    error = controls ? "no control is named '" + std::string(inside) + "'"
                     : "an entry is named by its number";
    return false;
}

bool field_of(std::string_view name, std::span<const key_row> keys,
              std::span<const record_member> members, edit_path &path, std::string &error)
{
    path.member = member_named(members, name);
    if (path.member == nullptr) {
        error = "no field is named '" + std::string(name) + "'";
        return false;
    }
    path.key = key_of_member(keys, members, *path.member, path.order);
    if (path.key == nullptr) {
        error = "no key of a file sets " + std::string(name);
        return false;
    }
    return true;
}

} // namespace

bool take_item(std::string_view &rest, const parsed_config &record, path_target &target,
               std::size_t &index, std::string &error)
{
    const bool controls = rest.starts_with("controls");
    if (!controls && !rest.starts_with("entries")) {
        error = "a path starts with camera., controls[...] or entries[...]";
        return false;
    }
    rest.remove_prefix(controls ? 8 : 7);
    target = controls ? path_target::control : path_target::entry;
    return take_index(rest, record, controls, index, error);
}

bool resolve_item(std::string_view text, const parsed_config &record, path_target &target,
                  std::size_t &index, std::string &error)
{
    if (!take_item(text, record, target, index, error))
        return false;
    if (text.empty())
        return true;
    error = "an entry or a control is named without a field: entries[N], controls[N]";
    return false;
}

const key_row *key_of_member(std::span<const key_row> keys, std::span<const record_member> members,
                             const record_member &member, std::size_t &order) noexcept
{
    const auto at = static_cast<int>(&member - members.data());
    for (const key_row &key : keys) {
        if (key.member == at || (key.form == value_form::pair && key.member + 1 == at)) {
            order = static_cast<std::size_t>(at - key.member);
            return &key;
        }
    }
    return nullptr;
}

bool resolve_path(std::string_view text, const parsed_config &record, edit_path &path,
                  std::string &error)
{
    path = {};
    std::string_view rest = text;
    if (rest.starts_with("camera.")) {
        path.target = path_target::camera;
        return field_of(rest.substr(7), rows_of(camera_keys), camera_members, path, error);
    }
    if (!take_item(rest, record, path.target, path.index, error))
        return false;
    const bool controls = path.target == path_target::control;
    if (!rest.starts_with(".")) {
        error = "a field follows the index: '.NAME'";
        return false;
    }
    rest.remove_prefix(1);
    if (!controls) {
        if (rest == "values")
            return true;
        error = rest == "section" || rest == "key" || rest == "type"
                    ? "an entry's " + std::string(rest) + " is where its line stands; move the line"
                    : "an entry has no field '" + std::string(rest) + "'";
        return false;
    }
    if (rest == "code") {
        path.code = true;
        return true;
    }
    return field_of(rest, rows_of(control_keys), control_members, path, error);
}

} // namespace pexilon::edit
