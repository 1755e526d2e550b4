// The vocabulary of the configuration: section names and keys with codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>

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

namespace code_detail {

template <const auto &Table, std::size_t Row>
inline constexpr std::size_t row_length = [] {
    std::size_t n = 0;
    while (Table[Row].name[n] != '\0')
        ++n;
    return n;
}();

// True when `text` spells the row's name: its bytes compared one by one with
// constants, left at the first that differs (so nothing past the text's
// terminator is read).
template <const auto &Table, std::size_t Row, std::size_t... I>
inline bool spells_row(const char *text, std::index_sequence<I...> /*bytes*/) noexcept
{
    return ((text[I] == Table[Row].name[I]) && ...) && text[sizeof...(I)] == '\0';
}

template <const auto &Table, std::size_t... Row>
inline std::uint32_t match_rows(const char *text, std::index_sequence<Row...> /*rows*/) noexcept
{
    std::uint32_t code = 0;
    static_cast<void>(
        ((spells_row<Table, Row>(text, std::make_index_sequence<row_length<Table, Row>>{}) &&
          (code = Table[Row].code, true)) ||
         ...));
    return code;
}

} // namespace code_detail

// lookup_code for the tables looked up on every line, whose rows are known
// at compile time: each row is compared with its own name as constants,
// unrolled, so that a name costs a compare or two per row it is not and one
// per byte of the row it is, with no loop over the row's name.
template <const auto &Table>
inline std::uint32_t find_code(const char *text) noexcept
{
    return code_detail::match_rows<Table>(text, std::make_index_sequence<std::size(Table) - 1>{});
}

// Name of the first row whose code equals `code`, or null.
const char *lookup_name(const code_row *table, std::uint32_t code) noexcept;

} // namespace pexilon
