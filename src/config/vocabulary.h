// The words of the configuration dialect, each written once: the sections,
// the record's fields, and the keys each kind of section reads, with where
// each key goes and how its value is read. The interpreter, the dump, the
// JSON writer, diff, explain, the language server and the checker all
// derive what they say of a key from these rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "pexilon/config_parser.h"

namespace pexilon {

// ---------------------------------------------------------------- sections

// An entry's type: the section in the upper half (bits 31..24 its kind, bits
// 23..16 the device/interface variant), the key in the lower half.
constexpr std::uint32_t section_code(std::uint32_t kind, std::uint32_t variant = 0) noexcept
{
    return kind << 24 | variant << 16;
}
constexpr std::uint32_t section_of(std::uint32_t type) noexcept { return type & 0xFFFF0000u; }
constexpr std::uint32_t key_of(std::uint32_t type) noexcept { return type & 0x0000FFFFu; }
constexpr std::uint32_t kind_of(std::uint32_t code) noexcept { return code >> 24; }
// The section of a type as a 16-bit group number, as the dump prints it.
constexpr std::uint32_t group_of(std::uint32_t type) noexcept { return type >> 16; }
constexpr std::uint32_t group_section(std::uint32_t group) noexcept { return group << 16; }

inline constexpr std::uint32_t section_camera = section_code(PEXILON_KIND_CAMERA);
inline constexpr std::uint32_t section_control = section_code(PEXILON_KIND_CONTROL);

// One row of a name table; a table ends with a {nullptr, 0} row.
struct code_row {
    const char *name;
    std::uint32_t code;
};

// Section names as the line parser reports them (bracket groups joined by
// "||"). The second byte of a code is the device/interface variant.
inline constexpr code_row section_codes[] = {
    {"camera parameter", section_camera},
    {"control parameter", section_control},
    {"board parameter", section_code(PEXILON_KIND_BOARD)},
    {"board parameter||dev2", section_code(PEXILON_KIND_BOARD, 0x02)},
    {"board parameter||dev3||inf2", section_code(PEXILON_KIND_BOARD, 0x04)},
    {"board parameter||dev3||inf3", section_code(PEXILON_KIND_BOARD, 0x03)},
    {"register parameter", section_code(PEXILON_KIND_REGISTER)},
    {"register parameter||dev3||inf2", section_code(PEXILON_KIND_REGISTER, 0x04)},
    {"register parameter||dev3||inf3", section_code(PEXILON_KIND_REGISTER, 0x03)},
    {nullptr, 0},
};

// ----------------------------------------------------------- record fields

// How a field of the record holds its value.
enum class field_form : unsigned char {
    number, // an integer of `size` bytes, signed or not
    text,   // a fixed-size character array of `size` bytes
};

// How the dump (and diff, which shows values as the dump does) writes it.
enum class shown_as : unsigned char {
    decimal,  // 32-bit fields as signed, narrower ones as they are
    hex_byte, // 0x%02X
    text,
};

// One field of camera_settings or control_entry, in record order.
struct record_member {
    const char *name;      // as the record names it: "bit_width"
    const char *json_name; // as `pexilon-config json` and the Python package name it
    std::size_t offset;
    std::size_t size; // bytes
    field_form form;
    bool is_signed;
    shown_as shown;
    int hex_digits; // explain writes it as hexadecimal of this many digits (0: decimal)
};

#define PEXILON_NUMBER(record, field, json, sign, show, hex)                                    \
    record_member                                                                               \
    {                                                                                           \
#field, json, offsetof(record, field), sizeof(record::field), field_form::number, sign, \
            shown_as::show, hex                                                                 \
    }
#define PEXILON_TEXT(record, field)                                                              \
    record_member                                                                                \
    {                                                                                            \
#field, #field, offsetof(record, field), sizeof(record::field), field_form::text, false, \
            shown_as::text, 0                                                                    \
    }

inline constexpr record_member camera_members[] = {
    PEXILON_NUMBER(camera_settings, cfg_mode, "cfg_mode", false, decimal, 0),
    PEXILON_TEXT(camera_settings, type),
    PEXILON_NUMBER(camera_settings, width, "width", false, decimal, 0),
    PEXILON_NUMBER(camera_settings, height, "height", false, decimal, 0),
    PEXILON_NUMBER(camera_settings, bit_width, "bit_width", false, decimal, 0),
    PEXILON_NUMBER(camera_settings, format, "format", false, hex_byte, 4),
    PEXILON_NUMBER(camera_settings, i2c_mode, "i2c_mode", false, decimal, 0),
    PEXILON_NUMBER(camera_settings, i2c_addr, "i2c_addr", false, decimal, 2),
    PEXILON_NUMBER(camera_settings, trans_lvl, "trans_lvl", false, decimal, 0),
};

// DEF is spelt out in JSON: "def" is a keyword in Python, whose package uses
// the same names.
inline constexpr record_member control_members[] = {
    PEXILON_NUMBER(control_entry, min_value, "min_value", true, decimal, 0),
    PEXILON_NUMBER(control_entry, max_value, "max_value", true, decimal, 0),
    PEXILON_NUMBER(control_entry, step, "step", true, decimal, 0),
    PEXILON_NUMBER(control_entry, def, "default", true, decimal, 0),
    PEXILON_NUMBER(control_entry, reserved, "reserved", false, decimal, 0),
    PEXILON_TEXT(control_entry, ctrl_name),
    PEXILON_TEXT(control_entry, func_name),
};

#undef PEXILON_NUMBER
#undef PEXILON_TEXT

// ---------------------------------------------------------------------- keys

// What a key's value is read as.
enum class value_form : unsigned char {
    number,   // one number into one field
    text,     // a bounded copy into a text field
    pair,     // exactly two numbers into two fields (SIZE), else nothing
    high_low, // one or two numbers, high byte then low byte of one field (FORMAT)
    list,     // up to 16 numbers of a new board or register entry
};

// Where a key's lines go.
enum class key_target : unsigned char { camera, entry, control };

struct key_row {
    const char *name;   // as written in a file: "BIT_WIDTH"
    std::uint32_t code; // the key's code: for board and register keys the low half of the type
    key_target target;
    value_form form;
    int member; // index into camera_members or control_members; -1 for entries
    // Numbers it takes: at least, at most (texts take none).
    unsigned char min_numbers;
    unsigned char max_numbers;
    // Characters a text keeps: the field's size, or one less when the field
    // always keeps a terminator.
    std::size_t text_room;
    const char *about; // one line: how the value is read
};

inline constexpr key_row camera_keys[] = {
    {"CFG_MODE", 1, key_target::camera, value_form::number, 0, 1, 1, 0,
     "a number, decimal or 0x hexadecimal"},
    {"TYPE", 2, key_target::camera, value_form::text, 1, 0, 0, sizeof(camera_settings::type),
     "the text, at most 50 bytes; 50 bytes leave it without a terminator"},
    {"SIZE", 3, key_target::camera, value_form::pair, 2, 2, 2, 0,
     "two numbers: width, height; any other count changes nothing"},
    {"BIT_WIDTH", 4, key_target::camera, value_form::number, 4, 1, 1, 0,
     "a number; its low 8 bits are kept"},
    {"FORMAT", 5, key_target::camera, value_form::high_low, 5, 1, 2, 0,
     "one or two numbers: the first is the high byte, the second the low byte"},
    {"I2C_MODE", 6, key_target::camera, value_form::number, 6, 1, 1, 0,
     "a number; its low 8 bits are kept"},
    {"I2C_ADDR", 7, key_target::camera, value_form::number, 7, 1, 1, 0,
     "a number; its low 16 bits are kept"},
    {"TRANS_LVL", 8, key_target::camera, value_form::number, 8, 1, 1, 0, "a number"},
    {nullptr, 0, key_target::camera, value_form::number, -1, 0, 0, 0, nullptr},
};

// Board and register keys; the code is the low half of the entry's type.
inline constexpr key_row param_keys[] = {
    {"REG", PEXILON_KEY_REG, key_target::entry, value_form::list, -1, 0, 16, 0,
     "up to 16 numbers separated by commas; one entry per line"},
    {"DELAY", PEXILON_KEY_DELAY, key_target::entry, value_form::list, -1, 0, 16, 0,
     "up to 16 numbers separated by commas; one entry per line"},
    {"VRCMD", PEXILON_KEY_VRCMD, key_target::entry, value_form::list, -1, 0, 16, 0,
     "up to 16 numbers separated by commas; one entry per line"},
    {nullptr, 0, key_target::entry, value_form::list, -1, 0, 0, 0, nullptr},
};

// The control keys whose meaning the checker's rules know (a range, a step).
enum control_key_code : std::uint32_t {
    key_min_value = 1,
    key_max_value = 2,
    key_step = 3,
    key_def = 4,
    key_ctrl_name = 5,
};

inline constexpr key_row control_keys[] = {
    {"MIN_VALUE", key_min_value, key_target::control, value_form::number, 0, 1, 1, 0,
     "a signed number"},
    {"MAX_VALUE", key_max_value, key_target::control, value_form::number, 1, 1, 1, 0,
     "a signed number"},
    {"STEP", key_step, key_target::control, value_form::number, 2, 1, 1, 0,
     "a number; its low 32 bits are kept"},
    {"DEF", key_def, key_target::control, value_form::number, 3, 1, 1, 0, "a signed number"},
    {"CTRL_NAME", key_ctrl_name, key_target::control, value_form::text, 5, 0, 0,
     sizeof(control_entry::ctrl_name) - 1, "the text, at most 127 bytes; names the control"},
    {"FUNC_NAME", 6, key_target::control, value_form::text, 6, 0, 0,
     sizeof(control_entry::func_name) - 1, "the text, at most 127 bytes"},
    {nullptr, 0, key_target::control, value_form::number, -1, 0, 0, 0, nullptr},
};

// The rows of a table without its closing row.
template <typename Row, std::size_t N>
constexpr std::span<const Row> rows_of(const Row (&table)[N]) noexcept
{
    return {table, N - 1};
}

// The keys read under a section of this code (none for an unknown section).
constexpr std::span<const key_row> keys_of_section(std::uint32_t code) noexcept
{
    switch (kind_of(code)) {
    case PEXILON_KIND_CAMERA:
        return rows_of(camera_keys);
    case PEXILON_KIND_CONTROL:
        return rows_of(control_keys);
    case PEXILON_KIND_BOARD:
    case PEXILON_KIND_REGISTER:
        return rows_of(param_keys);
    default:
        return {};
    }
}

// The record fields a key's target has.
constexpr std::span<const record_member> members_of(key_target target) noexcept
{
    switch (target) {
    case key_target::camera:
        return camera_members;
    case key_target::control:
        return control_members;
    case key_target::entry:
        break;
    }
    return {};
}

// The field a key fills first (SIZE fills it and the next), or null.
constexpr const record_member *member_of(const key_row &key) noexcept
{
    return key.member < 0 ? nullptr : &members_of(key.target)[static_cast<std::size_t>(key.member)];
}

// Where a key's value goes, as explain and the checker name it:
// "camera.bit_width", "step"; null for entries.
constexpr const char *label_prefix(key_target target) noexcept
{
    return target == key_target::camera ? "camera." : "";
}

// The row of a key code among `keys`, or null.
constexpr const key_row *key_by_code(std::span<const key_row> keys, std::uint32_t code) noexcept
{
    for (const key_row &key : keys)
        if (key.code == code)
            return &key;
    return nullptr;
}

} // namespace pexilon
