#include "config/interpreter.h"

#include <algorithm>

#include "config/interpreter_events.h"

#include "config/code_tables.h"
#include "config/config_sink.h"
#include "config/value_accounts.h"
#include "support/record_ops.h"

namespace pexilon {

interpreter_state begin_interpreting(parsed_config *config) noexcept
{
    interpreter_state state;
    state.config = config;
    if (config != nullptr) {
        state.param_capacity =
            config->params == nullptr
                ? 0
                : std::min(promised_param_room(config->param_count), max_param_capacity);
        state.control_capacity = config->control_count;
    }
    return state;
}

void end_interpreting(interpreter_state &state) noexcept
{
    if (state.config == nullptr)
        return;
    trim_param_list(state);
    trim_control_list(state);
}

namespace {

using namespace interpreter_detail;

// A key line of a listed section, told with the numbers it holds.
reject_reason apply_told(interpreter_state &state, const char *name, const char *value,
                         const char *value_end) noexcept
{
    config_sink &sink = *state.sink;
    parsed_config &config = *state.config;
    const key_row *key = nullptr;
    reject_reason reason = reject_reason::none;
    std::size_t index = 0;
    number_account own_room[max_accounted_numbers];
    number_account *numbers = sink.number_room != nullptr ? sink.number_room : own_room;
    numbers_read read;
    if (state.section_code == section_camera) {
        key = camera_key(name);
        if (key != nullptr)
            reason = apply_camera_key(config.camera, *key, value);
    } else if (state.section_code == section_control) {
        if (state.control_dropped) {
            sink.ignored(ignore_cause::no_entry, name);
            return reject_reason::none;
        }
        key = control_key(name);
        if (key != nullptr)
            reason = apply_control_key(state, *key, value);
        index = config.control_count - 1;
    } else {
        const std::uint32_t code = find_code<param_keys>(name);
        key = key_by_code(rows_of(param_keys), code);
        if (key != nullptr) {
            // The numbers are read once, into the account, and the entry
            // takes them from there.
            read = account_numbers(*key, value, value_end, sink.value_offset, numbers);
            reason = append_param_numbers(state, code, {numbers, read.count});
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
            read = account_numbers(*key, value, value_end, sink.value_offset, numbers);
        const std::size_t count = read.count;
        key_account account{key, index, {numbers, count}, true, read.hex_whole};
        if (key->form == value_form::pair)
            account.changed = count == 2;
        else if (key->form == value_form::high_low)
            account.changed = count == 1 || count == 2;
        sink.applied(account, name, value);
    }
    return reason;
}

// A code block, told where it went.
void tell_block(interpreter_state &state) noexcept
{
    config_sink &sink = *state.sink;
    if (state.section_code == 0)
        sink.ignored(ignore_cause::unknown_section, nullptr);
    else if (state.section_code != section_control)
        sink.ignored(ignore_cause::block_outside, nullptr);
    else if (state.control_dropped)
        sink.ignored(ignore_cause::no_entry, nullptr);
    else
        sink.code_attached(state.config->control_count - 1);
}

} // namespace

reject_reason interpret_told(interpreter_state &state, const char *section, const char *name,
                             const char *value, const char *value_end) noexcept
{
    if (state.config == nullptr)
        return reject_reason::no_record; // nothing was looked at
    config_sink &sink = *state.sink;
    reject_reason reason = reject_reason::none;
    const handler_event event = event_of(name, value);
    if (event == handler_event::section_header) {
        reason = section_header(state, section);
        sink.section(section, state.section_code);
    } else if (current_section_code(state, section) == 0) {
        sink.ignored(ignore_cause::unknown_section, name);
    } else if (event == handler_event::code_block) {
        if (state.section_code == section_control)
            reason = attach_control_code(state, value);
        if (reason == reject_reason::none)
            tell_block(state);
    } else {
        reason = apply_told(state, name, value, value_end);
    }
    if (reason != reject_reason::none)
        sink.rejected(reason);
    return reason;
}

int interpreter_handler(void *user, const char *section, const char *name,
                        const char *value) noexcept
{
    return interpret_event(*static_cast<interpreter_state *>(user), section, name, value);
}

int interpreter_block_taker(void *user, const char *section, char *text, std::size_t size,
                            bool *taken) noexcept
{
    using namespace interpreter_detail;
    auto &state = *static_cast<interpreter_state *>(user);
    if (state.config == nullptr)
        return verdict(state, reject_reason::no_record);
    reject_reason reason = reject_reason::none;
    if (current_section_code(state, section) == section_control)
        reason = adopt_control_code(state, text, size, taken);
    if (state.sink != nullptr) {
        if (reason == reject_reason::none)
            tell_block(state);
        else
            state.sink->rejected(reason);
    }
    return verdict(state, reason);
}

} // namespace pexilon
