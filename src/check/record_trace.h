// Where each part of a record came from, as an editor numbers lines: the
// line of every entry (the line explain shows as "params[N] = ...", a
// continuation line for the entry it made), of every control's header (its
// "[control parameter]", which explain shows as "controls[N]"), and the last
// line that set each camera field. Read from the line accounts, through the
// one line map, so that it agrees with the checker and with explain.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <iterator>
#include <string_view>
#include <vector>

#include "config/vocabulary.h"
#include "input/input_reading.h"

namespace pexilon::check {

struct record_trace {
    std::vector<std::size_t> param_lines;   // params[i] came from this line
    std::vector<std::size_t> control_lines; // the header of controls[i]
    // The last line that set each field of camera_members; 0 when none did.
    std::array<std::size_t, std::size(camera_members)> camera_lines{};
    std::size_t fault_line = 0; // the editor line of the reported fault, or 0
    // Memory ran out while noting lines: the lists above stop short of the
    // record's (the record itself is as the parse left it).
    bool lost = false;
};

// input::parse_loaded, noting in `trace` the line each part of the record came
// from, and the editor line of the fault the outcome reports.
config_report parse_traced(const input::loaded_input &input, parsed_config *config,
                           record_trace &trace);

// The same for a text in memory, read into `config` (zeroed by the caller).
config_report trace_text(std::string_view text, parsed_config *config, record_trace &trace);

// The trace of `text` read as pexilon_parse_config reads a file of these
// bytes into a zeroed record (which is released again): the lines alone.
config_report trace_text(std::string_view text, record_trace &trace);

// The editor line of what a parse of `text` reports as reader line `line`
// (a line past the end names the line after the last complete one).
std::size_t editor_line_of(std::string_view text, int line);

// Where a line account stands: its editor line (1-based) and the line as the
// reader read it, whose bytes the account's offsets count.
struct account_place {
    std::size_t editor_line = 0;
    std::string_view piece;
};

// Parses `text` into `record` as parse_config_bytes does, handing each line's
// account to `each` with its place.
using editor_account = std::function<void(const line_account &, const account_place &)>;
config_report read_accounts(std::string_view text, parsed_config *record,
                            const editor_account &each);

} // namespace pexilon::check
