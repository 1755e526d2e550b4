// File names and file text as the program prints them in its text output.
#pragma once

#include <string>
#include <string_view>

namespace pexilon::tool {

// The name with every control character shown as '?', as `ls -q` shows
// them, so that a name holding a newline cannot start a line of its own and
// pass for a "FILE:LINE:" report, nor an escape drive the terminal. Control
// characters are bytes 0x01-0x1F and 0x7F, and the C1 controls U+0080 to
// U+009F written in UTF-8 (two bytes, two '?'), which some terminals obey as
// ESC sequences. JSON output escapes names instead and needs no such care.
std::string shown_name(std::string_view name);

// Text from a file (a message naming a key, a line's account, a code line)
// shown the same way; with `keep_tabs` a tab stays a tab, for source lines
// whose caret line lines up under them.
std::string shown_text(std::string_view text, bool keep_tabs = false);

} // namespace pexilon::tool
