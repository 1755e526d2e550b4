// Board and register lines: one param_entry each, in file order. The
// append is inline: it runs for most lines of a register table, and the
// call, with the registers it saves and restores, cost more than its checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "config/code_tables.h"
#include "config/config_sink.h"
#include "config/interpreter.h"
#include "config/value_list.h"

namespace pexilon {

// Makes room for `count` entries when the array holds fewer, or tells why
// not (param_entries.cpp).
reject_reason make_param_room(interpreter_state &state, std::size_t count) noexcept;

// Appends an entry of key code `key` under the current section. value_end,
// where known, is where the value's terminator stands.
// A new entry of `key` in the current section at the end of params, zeroed
// but for its type, and counted; null when no room could be made, with
// `refused` saying why.
inline param_entry *new_param_entry(interpreter_state &state, std::uint32_t key,
                                    reject_reason &refused) noexcept
{
    parsed_config &config = *state.config;
    const std::size_t count = std::size_t{config.param_count} + 1;
    // Capacities are whole hundreds, so one above the count is the promised
    // room already: the common case costs one comparison. Below the capacity
    // the array is the state's own and the count cannot be full; a record
    // that disagrees with itself has no capacity (begin_interpreting).
    if (count >= state.param_capacity) {
        refused = make_param_room(state, count);
        if (refused != reject_reason::none)
            return nullptr;
    }
    param_entry &entry = config.params[count - 1];
    entry = param_entry{};
    entry.type = state.section_code | key;
    config.param_count = static_cast<std::uint32_t>(count);
    return &entry;
}

inline reject_reason append_param_entry(interpreter_state &state, std::uint32_t key,
                                        const char *value, const char *value_end = nullptr) noexcept
{
    reject_reason refused = reject_reason::none;
    param_entry *entry = new_param_entry(state, key, refused);
    if (entry == nullptr)
        return refused;
    return parse_value_list(entry, value, value_end) ? reject_reason::none
                                                     : reject_reason::too_many_values;
}

// append_param_entry for a listened parse, whose numbers are already read
// (config/value_accounts.h): the entry keeps what the accounts say was
// stored, so that the record and its account cannot differ.
reject_reason append_param_numbers(interpreter_state &state, std::uint32_t key,
                                   std::span<const number_account> numbers) noexcept;

// A board or register line: an entry when the key is known, else nothing.
inline reject_reason add_param_entry(interpreter_state &state, const char *name, const char *value,
                                     const char *value_end = nullptr) noexcept
{
    const std::uint32_t key = find_code<param_keys>(name);
    if (key == 0)
        return reject_reason::none; // other keys are ignored
    return append_param_entry(state, key, value, value_end);
}

} // namespace pexilon
