// Looking up the registry of diagnostics (diagnostic_kinds.h) by name.
#include "check/diagnostic_kinds.h"

namespace pexilon::check {

std::span<const diagnostic_kind> diagnostic_kinds() { return diagnostic_table; }

const diagnostic_kind *find_kind(std::string_view name)
{
    for (const diagnostic_kind &kind : diagnostic_table)
        if (kind.name == name)
            return &kind;
    return nullptr;
}

} // namespace pexilon::check
