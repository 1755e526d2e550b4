// The interpreter: it turns the reader's events into a parsed_config.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pexilon/config_parser.h"

namespace pexilon {

// Why the interpreter refused a line.
enum class reject_reason : unsigned char {
    none,
    no_record,           // the record pointer is null
    too_many_values,     // a list of more than 16 numbers
    no_memory,           // an entry or code text could not be stored
    inconsistent_record, // the record's list pointer and count disagree
};

class config_sink;
struct key_row;

// One entry past the largest count: room beyond it is never counted, so that
// the append to a full count goes through the growth's checks.
inline constexpr std::size_t max_param_capacity = std::size_t{UINT32_MAX} + 1;

// State of one parse into one record; lives on the caller's stack.
struct interpreter_state {
    parsed_config *config = nullptr;
    std::uint32_t section_code = 0;     // code of the current section
    const char *section_text = nullptr; // the section buffer that code is of
    // Entries params is known to hold: none while params is null, so that a
    // record whose count has no array behind it goes through the checks of
    // the growth (as a full count does, see max_param_capacity).
    std::size_t param_capacity = 0;
    std::size_t control_capacity = 0; // entries controls is known to hold
    bool control_dropped = false;     // the current control has no entry
    bool entry_section = false;       // the current section's lines are board or register entries
    reject_reason first_reject = reject_reason::none;
    config_sink *sink = nullptr; // told what each event did, if set
};

// Starts a parse into `config` (which may be null).
interpreter_state begin_interpreting(parsed_config *config) noexcept;

// Ends a parse: trims the lists to the sizes a later call may assume.
void end_interpreting(interpreter_state &state) noexcept;

// line_handler with an interpreter_state as `user`: what the library's own
// parses use, since the state carries what one line leaves to the next.
// With interpreter_block_taker beside it a control adopts its code block's text;
// without one the text reaches this handler and a copy of it is kept.
int interpreter_handler(void *user, const char *section, const char *name,
                        const char *value) noexcept;

// block_taker with an interpreter_state as `user`: a control keeps the gathered
// text itself as its code instead of a copy of it.
int interpreter_block_taker(void *user, const char *section, char *text, std::size_t size,
                            bool *taken) noexcept;

// The parts of the record, called by the interpreter. Each returns
// reject_reason::none to accept the line (add_param_entry, the one that runs
// for most lines, is inline in config/param_entries.h).
// The row of a camera or control key, or null for a name the section does
// not know (such lines are accepted and ignored).
const key_row *camera_key(const char *name) noexcept;
const key_row *control_key(const char *name) noexcept;
reject_reason apply_camera_key(camera_settings &camera, const key_row &key,
                               const char *value) noexcept;
reject_reason start_control(interpreter_state &state) noexcept;
reject_reason apply_control_key(interpreter_state &state, const key_row &key,
                                const char *value) noexcept;
reject_reason attach_control_code(interpreter_state &state, const char *text) noexcept;
reject_reason adopt_control_code(interpreter_state &state, char *text, std::size_t size,
                                 bool *taken) noexcept;
void trim_control_list(interpreter_state &state) noexcept;
void trim_param_list(interpreter_state &state) noexcept;

} // namespace pexilon
