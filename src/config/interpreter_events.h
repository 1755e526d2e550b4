// What the interpreter does with each event of the line parser, inline,
// so that the library's own parse reaches the part of the record a line is
// for without a call through a pointer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/code_tables.h"
#include "config/interpreter.h"
#include "config/param_entries.h"
#include "reader/line_binding.h"
#include "reader/line_parser.h"

namespace pexilon {

namespace interpreter_detail {

// Keeps the code of the section `section` names, and whether its lines are
// board or register entries.
inline void enter_section(interpreter_state &state, const char *section,
                          std::uint32_t code) noexcept
{
    state.section_code = code;
    state.section_text = section;
    state.entry_section = code != 0 && code != section_camera && code != section_control;
}

inline reject_reason section_header(interpreter_state &state, const char *section) noexcept
{
    enter_section(state, section, find_code<section_codes>(section));
    state.control_dropped = false;
    if (state.section_code == section_control)
        return start_control(state);
    return reject_reason::none;
}

// The code of the current section. The reader reports every change of
// section through a header event, so the code found there is kept; a
// different section buffer is looked up afresh.
inline std::uint32_t current_section_code(interpreter_state &state, const char *section) noexcept
{
    if (section != state.section_text)
        enter_section(state, section, lookup_code(section_codes, section));
    return state.section_code;
}

// Inline in the line loop, with the append of an entry: as a call, for most
// lines of a register table, it saved and restored six registers.
[[gnu::always_inline]] inline reject_reason dispatch(interpreter_state &state, const char *section,
                                                     const char *name, const char *value,
                                                     const char *value_end) noexcept
{
    // The line of a board or register section, the commonest event, first:
    // the flag is set only while there is a record.
    if (name != nullptr && section == state.section_text && state.entry_section)
        return add_param_entry(state, name, value, value_end);
    if (state.config == nullptr)
        return reject_reason::no_record;
    const handler_event event = event_of(name, value);
    if (event == handler_event::section_header)
        return section_header(state, section);
    const std::uint32_t code = current_section_code(state, section);
    if (code == 0)
        return reject_reason::none; // unlisted sections are accepted and ignored
    if (event == handler_event::code_block)
        return code == section_control ? attach_control_code(state, value) : reject_reason::none;
    if (code == section_camera) {
        const key_row *key = camera_key(name);
        return key == nullptr ? reject_reason::none
                              : apply_camera_key(state.config->camera, *key, value);
    }
    if (code == section_control) {
        const key_row *key = control_key(name);
        return key == nullptr ? reject_reason::none : apply_control_key(state, *key, value);
    }
    return add_param_entry(state, name, value, value_end);
}

inline int verdict(interpreter_state &state, reject_reason reason) noexcept
{
    if (reason == reject_reason::none)
        return 1;
    if (state.first_reject == reject_reason::none)
        state.first_reject = reason;
    return 0;
}

} // namespace interpreter_detail

// dispatch for a state with a sink: the same work, with the sink told
// what each event did (interpreter.cpp). Out of line: only listeners pay.
reject_reason interpret_told(interpreter_state &state, const char *section, const char *name,
                             const char *value, const char *value_end) noexcept;

// interpreter_handler's work: one event into the state's record. value_end,
// where known, is where the value's terminator stands.
inline int interpret_event(interpreter_state &state, const char *section, const char *name,
                           const char *value, const char *value_end = nullptr) noexcept
{
    using namespace interpreter_detail;
    if (state.sink != nullptr) [[unlikely]]
        return verdict(state, interpret_told(state, section, name, value, value_end));
    return verdict(state, dispatch(state, section, name, value, value_end));
}

// The line parser's receiver for a parse into a record (reader/line_binding.h).
struct interpreter_receiver {
    interpreter_state &state;

    int handle(const char *section, const char *name, const char *value,
               const char *value_end = nullptr) noexcept
    {
        return interpret_event(state, section, name, value, value_end);
    }
    bool takes_blocks() const noexcept { return true; }
    int take_block(const char *section, char *text, std::size_t size, bool *taken) noexcept
    {
        return interpreter_block_taker(&state, section, text, size, taken);
    }
};

static_assert(takes_value_end<interpreter_receiver>, "the interpreter reads lists to their end");

} // namespace pexilon
