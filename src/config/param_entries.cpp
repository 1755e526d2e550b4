// Board and register lines: the growth and the final trim of their array.
#include <algorithm>
#include <cstdint>

#include "config/param_entries.h"
#include "support/heap.h"
#include "support/record_ops.h"

namespace pexilon {

namespace {

// Makes room for `count` entries. The array has room for 100 x (count / 100
// + 1) entries when the call returns (trim_param_list), which is all a later
// call may assume of it; within one call it grows by half again at least, so
// that a long table is not copied over and over.
bool grow_params(interpreter_state &state, std::size_t count) noexcept
{
    const std::size_t needed = promised_param_room(count);
    parsed_config &config = *state.config;
    std::size_t grown = std::max(needed, (state.param_capacity * 3 / 2 + 99) / 100 * 100);
    // The first entry starts a fresh array, whatever the pointer held: with a
    // count of 0 the record owns no array, so a pointer left there is the
    // caller's, neither freed nor grown (as controls does).
    void *block = count == 1 ? heap_realloc_array(nullptr, grown, sizeof(param_entry))
                             : heap_realloc_array(config.params, grown, sizeof(param_entry));
    if (block == nullptr)
        return false;
    config.params = static_cast<param_entry *>(block);
    state.param_capacity = std::min(grown, max_param_capacity);
    return true;
}

} // namespace

reject_reason make_param_room(interpreter_state &state, std::size_t count) noexcept
{
    const parsed_config &config = *state.config;
    if (config.param_count == UINT32_MAX)
        return reject_reason::no_memory;
    if (config.params == nullptr && config.param_count != 0)
        return reject_reason::inconsistent_record;
    return grow_params(state, count) ? reject_reason::none : reject_reason::no_memory;
}

reject_reason append_param_numbers(interpreter_state &state, std::uint32_t key,
                                   std::span<const number_account> numbers) noexcept
{
    reject_reason refused = reject_reason::none;
    param_entry *entry = new_param_entry(state, key, refused);
    if (entry == nullptr)
        return refused;
    const std::size_t kept = std::min<std::size_t>(numbers.size(), max_list_values);
    for (std::size_t i = 0; i < kept; ++i)
        entry->values[i] = static_cast<std::uint32_t>(numbers[i].stored);
    entry->value_count = static_cast<std::uint8_t>(kept);
    return numbers.size() > kept ? reject_reason::too_many_values : reject_reason::none;
}

void trim_param_list(interpreter_state &state) noexcept
{
    parsed_config &config = *state.config;
    const std::size_t room = promised_param_room(config.param_count);
    if (config.params == nullptr || room == 0 || state.param_capacity <= room)
        return;
    // Shrinking cannot lose entries; should it fail, the larger block stays.
    if (void *block = heap_realloc_array(config.params, room, sizeof(param_entry))) {
        config.params = static_cast<param_entry *>(block);
        state.param_capacity = room;
    }
}

} // namespace pexilon
