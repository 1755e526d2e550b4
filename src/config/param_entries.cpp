// Board and register lines: one param_entry each, in file order.
#include <algorithm>
#include <cstdint>

#include "config/code_tables.h"
#include "config/config_handler.h"
#include "config/value_parsing.h"
#include "support/heap.h"
#include "support/record_ops.h"

namespace pexilon {

namespace {

// Makes room for `count` entries. The array has room for 100 x (count / 100
// + 1) entries when the call returns (trim_param_list), which is all a later
// call may assume of it; within one call it grows by half again at least, so
// that a long table is not copied over and over.
bool reserve_params(config_session &session, std::size_t count) noexcept
{
    // Capacities are whole hundreds, so one above the count is the promised
    // room already: the common case costs one comparison.
    if (count < session.param_capacity)
        return true;
    const std::size_t needed = promised_param_room(count);
    parsed_config &config = *session.config;
    std::size_t grown = std::max(needed, (session.param_capacity * 3 / 2 + 99) / 100 * 100);
    // The first entry starts a fresh array, whatever the pointer held: with a
    // count of 0 the record owns no array, so a pointer left there is the
    // caller's, neither freed nor grown (as controls does).
    void *block = count == 1 ? heap_realloc_array(nullptr, grown, sizeof(param_entry))
                             : heap_realloc_array(config.params, grown, sizeof(param_entry));
    if (block == nullptr)
        return false;
    config.params = static_cast<param_entry *>(block);
    session.param_capacity = grown;
    return true;
}

} // namespace

reject_reason add_param_entry(config_session &session, const char *name, const char *value,
                              const char *value_end) noexcept
{
    const std::uint32_t key = find_code<param_keys>(name);
    if (key == 0)
        return reject_reason::none; // other keys are ignored
    parsed_config &config = *session.config;
    if (config.param_count == UINT32_MAX)
        return reject_reason::no_memory;
    if (config.params == nullptr && config.param_count != 0)
        return reject_reason::inconsistent_record;
    const std::size_t count = std::size_t{config.param_count} + 1;
    if (!reserve_params(session, count))
        return reject_reason::no_memory;
    param_entry &entry = config.params[count - 1];
    entry = param_entry{};
    entry.type = session.section_code | key;
    const bool fits = parse_value_list(&entry, value, value_end);
    config.param_count = static_cast<std::uint32_t>(count);
    return fits ? reject_reason::none : reject_reason::too_many_values;
}

void trim_param_list(config_session &session) noexcept
{
    parsed_config &config = *session.config;
    const std::size_t room = promised_param_room(config.param_count);
    if (config.params == nullptr || room == 0 || session.param_capacity <= room)
        return;
    // Shrinking cannot lose entries; should it fail, the larger block stays.
    if (void *block = heap_realloc_array(config.params, room, sizeof(param_entry))) {
        config.params = static_cast<param_entry *>(block);
        session.param_capacity = room;
    }
}

} // namespace pexilon
