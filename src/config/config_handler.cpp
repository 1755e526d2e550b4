#include "config/config_handler.h"

#include <algorithm>

#include "config/session_dispatch.h"

#include "config/code_tables.h"
#include "config/config_sink.h"
#include "reader/line_parser.h"
#include "support/record_ops.h"

namespace pexilon {

config_session begin_session(parsed_config *config) noexcept
{
    config_session session;
    session.config = config;
    if (config != nullptr) {
        session.param_capacity =
            config->params == nullptr
                ? 0
                : std::min(promised_param_room(config->param_count), max_param_capacity);
        session.control_capacity = config->control_count;
    }
    return session;
}

void end_session(config_session &session) noexcept
{
    if (session.config == nullptr)
        return;
    trim_param_list(session);
    trim_control_list(session);
}

namespace {

constexpr record_field camera_fields[] = {
    record_field::none,     record_field::cfg_mode,  record_field::type,
    record_field::size,     record_field::bit_width, record_field::format,
    record_field::i2c_mode, record_field::i2c_addr,  record_field::trans_lvl,
};

constexpr record_field control_fields[] = {
    record_field::none, record_field::min_value, record_field::max_value, record_field::step,
    record_field::def,  record_field::ctrl_name, record_field::func_name,
};

// Tells the sink what dispatch did with a name/value event under a listed
// section. The keys are looked up again in the same tables; this runs only
// when a sink listens.
void tell_key(config_session &session, const char *name, const char *value) noexcept
{
    config_sink &sink = *session.sink;
    record_field field = record_field::none;
    if (session.section_code == section_camera) {
        field = camera_fields[lookup_code(camera_keys, name)];
    } else if (session.section_code == section_control) {
        if (session.control_dropped) {
            sink.ignored(ignore_cause::no_entry, name);
            return;
        }
        field = control_fields[lookup_code(control_keys, name)];
    } else if (lookup_code(param_keys, name) != 0) {
        field = record_field::param_entry;
    }
    if (field == record_field::none)
        sink.ignored(ignore_cause::unknown_key, name);
    else
        sink.applied(field, name, value);
}

void tell_block(config_session &session) noexcept
{
    config_sink &sink = *session.sink;
    if (session.section_code == 0)
        sink.ignored(ignore_cause::unknown_section, nullptr);
    else if (session.section_code != section_control)
        sink.ignored(ignore_cause::block_outside, nullptr);
    else if (session.control_dropped)
        sink.ignored(ignore_cause::no_entry, nullptr);
    else
        sink.applied(record_field::code, nullptr, nullptr);
}

} // namespace

void tell_sink(config_session &session, const char *section, const char *name, const char *value,
               reject_reason reason) noexcept
{
    config_sink &sink = *session.sink;
    if (session.config == nullptr) {
        // nothing was looked at
    } else if (event_of(name, value) == handler_event::section_header) {
        sink.section(section, session.section_code);
    } else if (session.section_code == 0) {
        sink.ignored(ignore_cause::unknown_section, name);
    } else if (event_of(name, value) == handler_event::code_block) {
        tell_block(session);
    } else {
        tell_key(session, name, value);
    }
    if (reason != reject_reason::none)
        sink.rejected(reason);
}

int session_handler(void *user, const char *section, const char *name, const char *value) noexcept
{
    return handle_session_event(*static_cast<config_session *>(user), section, name, value);
}

int config_block_taker(void *user, const char *section, char *text, std::size_t size,
                       bool *taken) noexcept
{
    using namespace dispatch_detail;
    auto &session = *static_cast<config_session *>(user);
    if (session.config == nullptr)
        return verdict(session, reject_reason::no_record);
    reject_reason reason = reject_reason::none;
    if (current_section_code(session, section) == section_control)
        reason = adopt_control_code(session, text, size, taken);
    if (session.sink != nullptr) {
        tell_block(session);
        if (reason != reject_reason::none)
            session.sink->rejected(reason);
    }
    return verdict(session, reason);
}

} // namespace pexilon
