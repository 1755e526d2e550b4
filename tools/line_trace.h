// Where each part of a record came from: the line, as an editor numbers it,
// of every entry, control and camera field.
//
// The reader hands out pieces of at most 199 bytes and counts each piece as
// a line; an editor counts newlines. The trace follows the pieces as they
// are read and notes the editor line of the piece that made each part.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "config/parse_config.h"

namespace pexilon_tool {

// The camera fields in record order.
enum camera_field : unsigned {
    field_cfg_mode,
    field_type,
    field_width,
    field_height,
    field_bit_width,
    field_format,
    field_i2c_mode,
    field_i2c_addr,
    field_trans_lvl,
    camera_field_count
};

struct line_trace {
    std::vector<std::uint32_t> param_lines;   // params[i] came from this line
    std::vector<std::uint32_t> control_lines; // the header of controls[i]
    // The last line that named each camera field; 0 when none did.
    std::array<std::uint32_t, camera_field_count> camera_lines{};
};

// Parses all of `stream` into `config` as the library does, noting lines in
// `trace`. The input is read whole first: a read error before the parse
// gives PARSE_OPEN_FAILED with its errno.
pexilon::config_report parse_traced(std::FILE *stream, parsed_config *config, line_trace &trace);

} // namespace pexilon_tool
