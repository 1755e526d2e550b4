// The UTF-8 byte-order mark, which the reader passes over at the start of
// an input and every account of columns and layout must pass over with it.
#pragma once

#include <string_view>

namespace pexilon {

inline constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

} // namespace pexilon
