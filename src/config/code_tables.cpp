#include "config/code_tables.h"

namespace pexilon {

const char *lookup_name(const code_row *table, std::uint32_t code) noexcept
{
    for (const code_row *row = table; row->name != nullptr; ++row)
        if (row->code == code)
            return row->name;
    return nullptr;
}

} // namespace pexilon
