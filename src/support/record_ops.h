// What every user of a filled record needs beside the parse: the room params
// is promised and releasing a record. Shared by the
// library, its program, tests, fuzz targets and benchmarks; outside hosts
// write their own release loop from the header's documentation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pexilon/config_parser.h"

namespace pexilon {

// Room params has for `count` entries: 100 x (count / 100 + 1), or none for
// no entries. The library leaves that much after every parse, and assumes no
// more of an array a caller hands back.
constexpr std::size_t promised_param_room(std::size_t count) noexcept
{
    return count == 0 ? 0 : 100 * (count / 100 + 1);
}

// Frees the lists and code texts the library handed out and zeroes the
// record, ready for another parse. It frees through the library's heap calls,
// so that it also serves the build whose heap can be made to fail.
void release_record(parsed_config &config) noexcept;

} // namespace pexilon
