// Looking names up in the vocabulary's tables (config/vocabulary.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

#include "config/vocabulary.h"

namespace pexilon {

// Code of the first row whose name equals `text` exactly (case counts), or 0.
// The tables are known at compile time: the compiler unrolls the rows, so
// that a name is compared with constant keys and most rows are passed over on
// their first character.
template <typename Row, std::size_t N>
inline std::uint32_t lookup_code(const Row (&table)[N], const char *text) noexcept
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
template <typename Row, std::size_t N>
inline const char *lookup_name(const Row (&table)[N], std::uint32_t code) noexcept
{
    for (const Row &row : rows_of(table))
        if (row.code == code)
            return row.name;
    return nullptr;
}

// The row of `table` named `text` exactly, or null.
template <typename Row, std::size_t N>
inline const Row *lookup_row(const Row (&table)[N], std::string_view text) noexcept
{
    for (const Row &row : rows_of(table))
        if (text == row.name)
            return &row;
    return nullptr;
}

} // namespace pexilon
