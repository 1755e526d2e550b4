// What the two JSON forms of the check's output share: GCC's layout
// (json_output.cpp) and SARIF 2.1.0 (sarif_output.cpp). Both are written as
// the diagnostics come, so that a file with a million warnings needs no more
// memory than one of them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pexilon::tool::check_json {

// Lines and columns are counted in std::size_t; the writer takes them signed.
inline std::int64_t number(std::size_t value) { return static_cast<std::int64_t>(value); }

} // namespace pexilon::tool::check_json
