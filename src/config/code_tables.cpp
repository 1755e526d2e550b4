#include "config/code_tables.h"

#include <cstring>

namespace pexilon {

std::uint32_t lookup_code(const code_row *table, const char *text) noexcept
{
    // Comparing the first characters inline skips most rows without a call.
    for (const code_row *row = table; row->name != nullptr; ++row)
        if (row->name[0] == text[0] && std::strcmp(row->name, text) == 0)
            return row->code;
    return 0;
}

const char *lookup_name(const code_row *table, std::uint32_t code) noexcept
{
    for (const code_row *row = table; row->name != nullptr; ++row)
        if (row->code == code)
            return row->name;
    return nullptr;
}

} // namespace pexilon
