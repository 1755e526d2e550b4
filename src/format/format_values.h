// The canonical spelling of a value: numbers of a list joined by ", ", the
// digits of hexadecimal numbers in one case.
#pragma once

#include <string>
#include <string_view>

#include "format/format_lines.h"

namespace pexilon::format {

enum class hex_case : unsigned char { upper, lower, keep };

// `value` as the layout writes it. Only a value the interpreter reads as
// numbers (or not at all) and that is nothing but numbers and commas is
// respelled: a sign, then decimal digits or "0x" and hexadecimal digits, for
// each item, with at most an empty item after the last comma. Anything else
// (a text, "5ms", "1 2", ",,") comes back as it is.
std::string tidy_value(std::string_view value, value_shape shape, hex_case digits);

// The same, appended to `out` (no string of its own for each value).
void append_tidy_value(std::string &out, std::string_view value, value_shape shape,
                       hex_case digits);

} // namespace pexilon::format
