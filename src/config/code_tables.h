// The vocabulary of the configuration: section names and keys with codes.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "pexilon/config_parser.h"

namespace pexilon {

// One row of a code table; a table ends with a {nullptr, 0} row.
struct code_row {
    const char *name;
    std::uint32_t code;
};

// An entry's type: the section in the upper half (bits 31..24 its kind, bits
// 23..16 the device/interface variant), the key in the lower half.
constexpr std::uint32_t section_code(std::uint32_t kind, std::uint32_t variant = 0) noexcept
{
    return kind << 24 | variant << 16;
}
constexpr std::uint32_t section_of(std::uint32_t type) noexcept { return type & 0xFFFF0000u; }
constexpr std::uint32_t key_of(std::uint32_t type) noexcept { return type & 0x0000FFFFu; }
// The section of a type as a 16-bit group number, as the dump prints it.
constexpr std::uint32_t group_of(std::uint32_t type) noexcept { return type >> 16; }
constexpr std::uint32_t group_section(std::uint32_t group) noexcept { return group << 16; }

inline constexpr std::uint32_t section_camera = section_code(PEXILON_KIND_CAMERA);
inline constexpr std::uint32_t section_control = section_code(PEXILON_KIND_CONTROL);

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

// Keys of the camera section, numbered in the order of the record's fields.
enum camera_key : std::uint32_t {
    key_cfg_mode = 1,
    key_type = 2,
    key_size = 3,
    key_bit_width = 4,
    key_format = 5,
    key_i2c_mode = 6,
    key_i2c_addr = 7,
    key_trans_lvl = 8,
};

// clang-format off
inline constexpr code_row camera_keys[] = {
    {"CFG_MODE", key_cfg_mode},
    {"TYPE", key_type},
    {"SIZE", key_size},
    {"BIT_WIDTH", key_bit_width},
    {"FORMAT", key_format},
    {"I2C_MODE", key_i2c_mode},
    {"I2C_ADDR", key_i2c_addr},
    {"TRANS_LVL", key_trans_lvl},
    {nullptr, 0},
};
// clang-format on

// Keys of board and register lines; the code is the low half of the type.
inline constexpr code_row param_keys[] = {
    {"REG", PEXILON_KEY_REG},
    {"DELAY", PEXILON_KEY_DELAY},
    {"VRCMD", PEXILON_KEY_VRCMD},
    {nullptr, 0},
};

// Keys of control sections, numbered in the order of the record's fields.
enum control_key : std::uint32_t {
    key_min_value = 1,
    key_max_value = 2,
    key_step = 3,
    key_def = 4,
    key_ctrl_name = 5,
    key_func_name = 6,
};

inline constexpr code_row control_keys[] = {
    {"MIN_VALUE", key_min_value},
    {"MAX_VALUE", key_max_value},
    {"STEP", key_step},
    {"DEF", key_def},
    {"CTRL_NAME", key_ctrl_name},
    {"FUNC_NAME", key_func_name},
    {nullptr, 0},
};

// Code of the first row whose name equals `text` exactly (case counts), or 0.
// The tables are known at compile time: the compiler unrolls the rows, so
// that a name is compared with constant keys and most rows are passed over on
// their first character.
template <std::size_t N>
inline std::uint32_t lookup_code(const code_row (&table)[N], const char *text) noexcept
{
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const char *a = table[i].name;
        if (*a != *text)
            continue;
        const char *b = text;
        while (*a != '\0' && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return table[i].code;
    }
    return 0;
}

// The rows of a table that may hold a name, by the name's first byte: bit i
// stands for row i. Built at compile time for the tables looked up on every
// line, so that a name goes straight to the one or two rows it may be.
template <std::size_t N>
struct first_byte_index {
    static_assert(N - 1 <= 16, "a row mask holds 16 rows");
    std::array<std::uint16_t, 256> rows{};

    constexpr explicit first_byte_index(const code_row (&table)[N])
    {
        for (std::size_t i = 0; i + 1 < N; ++i)
            rows[static_cast<unsigned char>(table[i].name[0])] |=
                static_cast<std::uint16_t>(1u << i);
    }
};

// lookup_code through the table's first-byte index: the same code for every
// text.
template <const auto &Table>
inline std::uint32_t find_code(const char *text) noexcept
{
    static constexpr first_byte_index index(Table);
    for (unsigned rows = index.rows[static_cast<unsigned char>(*text)]; rows != 0;
         rows &= rows - 1) {
        const code_row &row = Table[std::countr_zero(rows)];
        const char *a = row.name + 1;
        const char *b = text + 1;
        while (*a != '\0' && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return row.code;
    }
    return 0;
}

// Name of the first row whose code equals `code`, or null.
const char *lookup_name(const code_row *table, std::uint32_t code) noexcept;

} // namespace pexilon
