#include "config/code_tables.h"


namespace pexilon {

std::uint32_t lookup_code(const code_row *table, const char *text) noexcept
{
    // The names are short: an inline comparison beats a call to strcmp.
    for (const code_row *row = table; row->name != nullptr; ++row) {
        const char *a = row->name;
        const char *b = text;
        while (*a != '\0' && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return row->code;
    }
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
