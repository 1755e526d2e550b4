// File names as the program prints them in its text output.
#pragma once

#include <string>
#include <string_view>

namespace pexilon_tool {

// The name with every control character (bytes 0x01-0x1F and 0x7F) shown as
// '?', as `ls -q` shows them, so that a name holding a newline cannot start
// a line of its own and pass for a "FILE:LINE:" report. JSON output escapes
// names instead and needs no such care.
std::string shown_name(std::string_view name);

} // namespace pexilon_tool
