// Printable file names and file text.
#include "shown_name.h"

namespace pexilon_tool {

std::string shown_text(std::string_view text, bool keep_tabs)
{
    std::string shown(text);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto byte = static_cast<unsigned char>(shown[i]);
        if ((byte < 0x20 && !(keep_tabs && byte == '\t')) || byte == 0x7F) {
            shown[i] = '?';
        } else if (byte == 0xC2 && i + 1 < shown.size()) {
            const auto next = static_cast<unsigned char>(shown[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                shown[i] = '?';
                shown[++i] = '?';
            }
        }
    }
    return shown;
}

std::string shown_name(std::string_view name) { return shown_text(name); }

} // namespace pexilon_tool
