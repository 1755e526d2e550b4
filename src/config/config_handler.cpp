#include "config/config_handler.h"

#include <algorithm>

#include "config/session_dispatch.h"

#include "config/code_tables.h"
#include "config/config_sink.h"
#include "config/value_accounts.h"
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

using namespace dispatch_detail;

// A key line of a listed section, told with the numbers it holds.
reject_reason apply_told(config_session &session, const char *name, const char *value,
                         const char *value_end) noexcept
{
    config_sink &sink = *session.sink;
    parsed_config &config = *session.config;
    const key_row *key = nullptr;
    reject_reason reason = reject_reason::none;
    std::size_t index = 0;
    number_account numbers[max_accounted_numbers];
    std::size_t count = 0;
    if (session.section_code == section_camera) {
        key = camera_key(name);
        if (key != nullptr)
            reason = apply_camera_key(config.camera, *key, value);
    } else if (session.section_code == section_control) {
        if (session.control_dropped) {
            sink.ignored(ignore_cause::no_entry, name);
            return reject_reason::none;
        }
        key = control_key(name);
        if (key != nullptr)
            reason = apply_control_key(session, *key, value);
        index = config.control_count - 1;
    } else {
        const std::uint32_t code = find_code<param_keys>(name);
        key = key_by_code(rows_of(param_keys), code);
        if (key != nullptr) {
            // The numbers are read once, into the account, and the entry
            // takes them from there.
            count = account_numbers(*key, value, value_end, numbers);
            reason = append_param_numbers(session, code, {numbers, count});
        }
        index = std::size_t{config.param_count} - 1;
    }
    if (key == nullptr) {
        sink.ignored(ignore_cause::unknown_key, name);
        return reject_reason::none;
    }
    // An entry refused for want of room was not added: there is nothing to
    // account for but the refusal.
    if (reason == reject_reason::none || reason == reject_reason::too_many_values) {
        if (key->target != key_target::entry)
            count = account_numbers(*key, value, value_end, numbers);
        key_account account{key, index, {numbers, count}, true};
        if (key->form == value_form::pair)
            account.changed = count == 2;
        else if (key->form == value_form::high_low)
            account.changed = count == 1 || count == 2;
        sink.applied(account, name, value);
    }
    return reason;
}

// A code block, told where it went.
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
        sink.code_attached(session.config->control_count - 1);
}

} // namespace

reject_reason dispatch_told(config_session &session, const char *section, const char *name,
                            const char *value, const char *value_end) noexcept
{
    if (session.config == nullptr)
        return reject_reason::no_record; // nothing was looked at
    config_sink &sink = *session.sink;
    reject_reason reason = reject_reason::none;
    const handler_event event = event_of(name, value);
    if (event == handler_event::section_header) {
        reason = section_header(session, section);
        sink.section(section, session.section_code);
    } else if (current_section_code(session, section) == 0) {
        sink.ignored(ignore_cause::unknown_section, name);
    } else if (event == handler_event::code_block) {
        if (session.section_code == section_control)
            reason = attach_control_code(session, value);
        if (reason == reject_reason::none)
            tell_block(session);
    } else {
        reason = apply_told(session, name, value, value_end);
    }
    if (reason != reject_reason::none)
        sink.rejected(reason);
    return reason;
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
        if (reason == reject_reason::none)
            tell_block(session);
        else
            session.sink->rejected(reason);
    }
    return verdict(session, reason);
}

} // namespace pexilon
