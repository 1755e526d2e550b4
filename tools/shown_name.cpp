// Printable file names and file text.
#include "shown_name.h"

namespace pexilon::tool {

std::string shown_text(std::string_view text, bool keep_tabs)
{
    // One '?' a control character, C1 (two bytes) included, so that what is
    // shown keeps one column a character.
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && !(keep_tabs && byte == '\t')) || byte == 0x7F) {
            shown += '?';
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            shown += '?';
            ++i;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

std::string shown_name(std::string_view name) { return shown_text(name); }

} // namespace pexilon::tool
