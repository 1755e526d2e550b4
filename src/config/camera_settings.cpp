// The keys of the section "camera parameter".
#include <cstring>

#include "config/config_handler.h"
#include "config/text_fields.h"
#include "config/value_parsing.h"

namespace pexilon {

namespace {

bool is(const char *name, const char *key) noexcept
{
    return std::strcmp(name, key) == 0;
}

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

reject_reason apply_camera_key(camera_settings &camera, const char *name, const char *value) noexcept
{
    if (is(name, "CFG_MODE"))
        camera.cfg_mode = parse_int32(value);
    else if (is(name, "TYPE"))
        copy_text_field(camera.type, value, sizeof camera.type);
    else if (is(name, "BIT_WIDTH"))
        camera.bit_width = static_cast<std::uint8_t>(parse_int32(value));
    else if (is(name, "I2C_MODE"))
        camera.i2c_mode = static_cast<std::uint8_t>(parse_int32(value));
    else if (is(name, "I2C_ADDR"))
        camera.i2c_addr = static_cast<std::uint16_t>(parse_int32(value));
    else if (is(name, "TRANS_LVL"))
        camera.trans_lvl = parse_int32(value);
    else if (is(name, "SIZE"))
        return apply_size(camera, value);
    else if (is(name, "FORMAT"))
        return apply_format(camera, value);
    return reject_reason::none; // other names are ignored
}

} // namespace pexilon
