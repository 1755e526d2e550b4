// The keys of the section "camera parameter", stored as their rows in the
// vocabulary say.
#include "config/code_tables.h"
#include "config/interpreter.h"
#include "config/record_fields.h"
#include "config/text_fields.h"
#include "config/value_parsing.h"

namespace pexilon {

namespace {

// SIZE: exactly two numbers into two fields; FORMAT: one or two numbers,
// the first in the high byte of one field.
reject_reason apply_numbers(camera_settings &camera, const key_row &key, const char *value) noexcept
{
    param_entry list{};
    if (!parse_value_list(&list, value))
        return reject_reason::too_many_values;
    const record_member *field = member_of(key);
    if (key.form == value_form::pair) {
        if (list.value_count == 2) {
            store_number(&camera, field[0], list.values[0]);
            store_number(&camera, field[1], list.values[1]);
        }
    } else if (list.value_count == 2) {
        store_number(&camera, *field, std::int64_t{list.values[0]} << 8 | list.values[1]);
    } else if (list.value_count == 1) {
        store_number(&camera, *field, std::int64_t{list.values[0]} << 8);
    }
    return reject_reason::none;
}

} // namespace

const key_row *camera_key(const char *name) noexcept
{
    const std::uint32_t code = find_code<camera_keys>(name);
    return code == 0 ? nullptr : key_by_code(rows_of(camera_keys), code);
}

reject_reason apply_camera_key(camera_settings &camera, const key_row &key,
                               const char *value) noexcept
{
    const record_member &field = *member_of(key);
    switch (key.form) {
    case value_form::number:
        store_number(&camera, field, parse_int64(value));
        break;
    case value_form::text:
        copy_text_field(reinterpret_cast<char *>(&camera) + field.offset, value, key.text_room);
        break;
    case value_form::pair:
    case value_form::high_low:
        return apply_numbers(camera, key, value);
    case value_form::list:
        break;
    }
    return reject_reason::none;
}

} // namespace pexilon
