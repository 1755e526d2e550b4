// The keys of the section "camera parameter".
#include "config/code_tables.h"
#include "config/config_handler.h"
#include "config/text_fields.h"
#include "config/value_parsing.h"

namespace pexilon {

namespace {

// SIZE: exactly two numbers, width and height.
reject_reason apply_size(camera_settings &camera, const char *value) noexcept
{
    param_entry list{};
    if (!parse_value_list(&list, value))
        return reject_reason::too_many_values;
    if (list.value_count == 2) {
        camera.width = list.values[0];
        camera.height = list.values[1];
    }
    return reject_reason::none;
}

// FORMAT: one or two numbers, the first in the high byte.
reject_reason apply_format(camera_settings &camera, const char *value) noexcept
{
    param_entry list{};
    if (!parse_value_list(&list, value))
        return reject_reason::too_many_values;
    if (list.value_count == 2)
        camera.format = static_cast<std::uint16_t>((list.values[0] << 8) | list.values[1]);
    else if (list.value_count == 1)
        camera.format = static_cast<std::uint16_t>(list.values[0] << 8);
    return reject_reason::none;
}

} // namespace

reject_reason apply_camera_key(camera_settings &camera, const char *name,
                               const char *value) noexcept
{
    switch (find_code<camera_keys>(name)) {
    case key_cfg_mode:
        camera.cfg_mode = parse_int32(value);
        break;
    case key_type:
        copy_text_field(camera.type, value, sizeof camera.type);
        break;
    case key_bit_width:
        camera.bit_width = static_cast<std::uint8_t>(parse_int32(value));
        break;
    case key_i2c_mode:
        camera.i2c_mode = static_cast<std::uint8_t>(parse_int32(value));
        break;
    case key_i2c_addr:
        camera.i2c_addr = static_cast<std::uint16_t>(parse_int32(value));
        break;
    case key_trans_lvl:
        camera.trans_lvl = parse_int32(value);
        break;
    case key_size:
        return apply_size(camera, value);
    case key_format:
        return apply_format(camera, value);
    default:
        break; // other names are ignored
    }
    return reject_reason::none;
}

} // namespace pexilon
