// What the record builder does with each event of the line parser, inline,
// so that the library's own parse reaches the part of the record a line is
// for without a call through a pointer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/code_tables.h"
#include "config/config_handler.h"
#include "config/param_entries.h"
#include "reader/line_binding.h"
#include "reader/line_parser.h"

namespace pexilon {

namespace dispatch_detail {

// Keeps the code of the section `section` names, and whether its lines are
// board or register entries.
inline void enter_section(config_session &session, const char *section, std::uint32_t code) noexcept
{
    session.section_code = code;
    session.section_text = section;
    session.entry_section = code != 0 && code != section_camera && code != section_control;
}

inline reject_reason section_header(config_session &session, const char *section) noexcept
{
    enter_section(session, section, find_code<section_codes>(section));
    session.control_dropped = false;
    if (session.section_code == section_control)
        return start_control(session);
    return reject_reason::none;
}

// The code of the current section. The reader reports every change of
// section through a header event, so the code found there is kept; a
// different section buffer is looked up afresh.
inline std::uint32_t current_section_code(config_session &session, const char *section) noexcept
{
    if (section != session.section_text)
        enter_section(session, section, lookup_code(section_codes, section));
    return session.section_code;
}

// Inline in the line loop, with the append of an entry: as a call, for most
// lines of a register table, it saved and restored six registers.
[[gnu::always_inline]] inline reject_reason dispatch(config_session &session, const char *section,
                                                     const char *name, const char *value,
                                                     const char *value_end) noexcept
{
    // The line of a board or register section, the commonest event, first:
    // the flag is set only while there is a record.
    if (name != nullptr && section == session.section_text && session.entry_section)
        return add_param_entry(session, name, value, value_end);
    if (session.config == nullptr)
        return reject_reason::no_record;
    const handler_event event = event_of(name, value);
    if (event == handler_event::section_header)
        return section_header(session, section);
    const std::uint32_t code = current_section_code(session, section);
    if (code == 0)
        return reject_reason::none; // unlisted sections are accepted and ignored
    if (event == handler_event::code_block)
        return code == section_control ? attach_control_code(session, value) : reject_reason::none;
    if (code == section_camera) {
        const key_row *key = camera_key(name);
        return key == nullptr ? reject_reason::none
                              : apply_camera_key(session.config->camera, *key, value);
    }
    if (code == section_control) {
        const key_row *key = control_key(name);
        return key == nullptr ? reject_reason::none : apply_control_key(session, *key, value);
    }
    return add_param_entry(session, name, value, value_end);
}

inline int verdict(config_session &session, reject_reason reason) noexcept
{
    if (reason == reject_reason::none)
        return 1;
    if (session.first_reject == reject_reason::none)
        session.first_reject = reason;
    return 0;
}

} // namespace dispatch_detail

// dispatch for a session with a sink: the same work, with the sink told
// what each event did (config_handler.cpp). Out of line: only listeners pay.
reject_reason dispatch_told(config_session &session, const char *section, const char *name,
                            const char *value, const char *value_end) noexcept;

// session_handler's work: one event into the session's record. value_end,
// where known, is where the value's terminator stands.
inline int handle_session_event(config_session &session, const char *section, const char *name,
                                const char *value, const char *value_end = nullptr) noexcept
{
    using namespace dispatch_detail;
    if (session.sink != nullptr) [[unlikely]]
        return verdict(session, dispatch_told(session, section, name, value, value_end));
    return verdict(session, dispatch(session, section, name, value, value_end));
}

// The line parser's receiver for a parse into a record (reader/line_binding.h).
struct session_receiver {
    config_session &session;

    int handle(const char *section, const char *name, const char *value,
               const char *value_end = nullptr) noexcept
    {
        return handle_session_event(session, section, name, value, value_end);
    }
    bool takes_blocks() const noexcept { return true; }
    int take_block(const char *section, char *text, std::size_t size, bool *taken) noexcept
    {
        return config_block_taker(&session, section, text, size, taken);
    }
};

static_assert(takes_value_end<session_receiver>, "the record builder reads lists to their end");

} // namespace pexilon
