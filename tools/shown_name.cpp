// Printable file names.
#include "shown_name.h"

namespace pexilon_tool {

std::string shown_name(std::string_view name)
{
    std::string shown(name);
    for (char &c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    return shown;
}

} // namespace pexilon_tool
