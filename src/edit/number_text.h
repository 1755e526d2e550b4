// Writing a number as the file already writes the one it replaces, so that
// an edit changes the digits and nothing of the style around them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pexilon::edit {

// `value` written in the style of `old`: hexadecimal when `old` is (its
// "0x" or "0X", its letter case, its digit count when the value fits in it),
// decimal otherwise. A negative value is always decimal, as a reader of the
// file would not expect a signed hexadecimal number.
std::string number_like(std::int64_t value, std::string_view old);

// `value` as a fresh line writes it: decimal, or "0x%X" when `hex`.
std::string number_text(std::int64_t value, bool hex);

// A number as a command line gives it: decimal with an optional sign, or
// "0x"/"0X" hexadecimal. Nothing for anything else or out of the 64-bit range.
std::optional<std::int64_t> parse_number(std::string_view text);

} // namespace pexilon::edit
