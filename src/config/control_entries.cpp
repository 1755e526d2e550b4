// "control parameter" sections: one control_entry each, filled by the lines
// and the code block that follow its header.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "config/code_tables.h"
#include "config/interpreter.h"
#include "config/record_fields.h"
#include "config/text_fields.h"
#include "config/value_parsing.h"
#include "support/heap.h"

namespace pexilon {

namespace {

// Code texts shorter than this are copied out of the reader's block.
constexpr std::size_t copied_code_size = 4096;

// Makes room for `count` controls. Within one call the array grows by
// doubling; trim_control_list leaves it holding exactly control_count.
bool reserve_controls(interpreter_state &state, std::size_t count) noexcept
{
    if (state.control_capacity >= count)
        return true;
    parsed_config &config = *state.config;
    const std::size_t grown = std::max(count, state.control_capacity * 2);
    // The first control starts a fresh array, whatever the pointer held: with
    // a count of 0 the record owns no array, so a pointer left there is the
    // caller's, neither freed nor grown (as params does).
    void *block = heap_realloc_array(config.control_count == 0 ? nullptr : config.controls, grown,
                                     sizeof(control_entry));
    if (block == nullptr)
        return false;
    config.controls = static_cast<control_entry *>(block);
    state.control_capacity = grown;
    return true;
}

// The entry that the lines of the current section fill, or null when there is
// none (its header could not be stored).
control_entry *newest_control(interpreter_state &state) noexcept
{
    parsed_config &config = *state.config;
    if (state.control_dropped || config.control_count == 0 || config.controls == nullptr)
        return nullptr;
    return &config.controls[config.control_count - 1];
}

} // namespace

reject_reason start_control(interpreter_state &state) noexcept
{
    parsed_config &config = *state.config;
    if (config.controls == nullptr && config.control_count != 0) {
        state.control_dropped = true;
        return reject_reason::inconsistent_record;
    }
    const std::size_t count = std::size_t{config.control_count} + 1;
    if (config.control_count == UINT32_MAX || !reserve_controls(state, count)) {
        state.control_dropped = true;
        return reject_reason::no_memory;
    }
    config.controls[count - 1] = control_entry{};
    config.control_count = static_cast<std::uint32_t>(count);
    return reject_reason::none;
}

const key_row *control_key(const char *name) noexcept
{
    const std::uint32_t code = find_code<control_keys>(name);
    return code == 0 ? nullptr : key_by_code(rows_of(control_keys), code);
}

reject_reason apply_control_key(interpreter_state &state, const key_row &key,
                                const char *value) noexcept
{
    control_entry *control = newest_control(state);
    if (control == nullptr)
        return reject_reason::none; // its loss was reported at the header
    const record_member &field = *member_of(key);
    if (key.form == value_form::text)
        copy_text_field(reinterpret_cast<char *>(control) + field.offset, value, key.text_room);
    else
        store_number(control, field, parse_int64(value));
    return reject_reason::none;
}

reject_reason attach_control_code(interpreter_state &state, const char *text) noexcept
{
    control_entry *control = newest_control(state);
    if (control == nullptr)
        return reject_reason::none;
    const std::size_t size = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(heap_malloc(size));
    if (copy == nullptr)
        return reject_reason::no_memory; // the earlier text, if any, stays
    std::memcpy(copy, text, size);
    heap_free(control->code);
    control->code = copy;
    return reject_reason::none;
}

reject_reason adopt_control_code(interpreter_state &state, char *text, std::size_t size,
                                 bool *taken) noexcept
{
    control_entry *control = newest_control(state);
    if (control == nullptr)
        return reject_reason::none;
    // A short text is copied to a block of its size, and the reader uses its
    // memory again for the next block: one allocation a control. When the
    // copy cannot be had the text is left out, as any that needs memory it
    // cannot get (the earlier text, if any, stays).
    if (size < copied_code_size) {
        auto *copy = static_cast<char *>(heap_malloc(size + 1));
        if (copy == nullptr)
            return reject_reason::no_memory;
        std::memcpy(copy, text, size + 1);
        heap_free(control->code);
        control->code = copy;
        return reject_reason::none;
    }
    // A long one is kept where it is, not copied, its slack given back:
    // should that fail, the larger block serves as well.
    if (void *trimmed = heap_realloc(text, size + 1))
        text = static_cast<char *>(trimmed);
    heap_free(control->code);
    control->code = text;
    *taken = true;
    return reject_reason::none;
}

void trim_control_list(interpreter_state &state) noexcept
{
    parsed_config &config = *state.config;
    if (config.controls == nullptr || config.control_count == 0 ||
        state.control_capacity <= config.control_count)
        return;
    if (void *block =
            heap_realloc_array(config.controls, config.control_count, sizeof(control_entry))) {
        config.controls = static_cast<control_entry *>(block);
        state.control_capacity = config.control_count;
    }
}

} // namespace pexilon
