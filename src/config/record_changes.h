// What an edit of a text announces it does to the record, and whether the
// record it leaves differs from the one before in that alone, field by
// field. The checker holds its fix-its to it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "pexilon/config_parser.h"

namespace pexilon {

enum class entry_change : unsigned char {
    none,
    values, // params[entry] gets other values (and count), its type kept
    // params[entry] becomes an entry of type `type`, with other values: a
    // line that continued one key's list read as a line of its own key.
    replaced,
    added, // one entry of type `type` more, standing at `entry`
    // The lines of a section read into section `type` (a type's upper half):
    // entries of it more from `entry` on, and entries from there on moved to
    // it from another, their keys and values kept.
    section,
};

// A control's code text, beside the bits of control_members.
inline constexpr std::uint32_t control_code_bit = std::uint32_t{1} << 31;

// Nothing set: every field stays as it was.
struct record_change {
    std::uint32_t camera = 0;   // bit i: camera_members[i] may change
    std::uint32_t control = 0;  // bit i: control_members[i] (or control_code_bit) of one control
    bool control_added = false; // a control more, standing at `control_index`
    entry_change params = entry_change::none;
    std::uint32_t type = 0;
    // Where in the record, counted before the edit; placed by whoever knows
    // the lines the entries and controls came from.
    std::uint32_t entry = 0;
    std::uint32_t control_index = 0;

    bool operator==(const record_change &) const = default;
};

// The bits of record_change::camera or ::control for `count` fields from
// `first` on.
constexpr std::uint32_t field_bits(int first, int count) noexcept
{
    return first < 0 ? 0 : ((std::uint32_t{1} << count) - 1) << first;
}

// The first difference between `before` and `after`, field by field (every
// camera field; every entry's type, values and count; every control's
// fields and code text), that none of `changes` announces, in words
// ("camera.width", "params[3].values"); empty when there is none.
std::string unannounced_change(const parsed_config &before, const parsed_config &after,
                               std::span<const record_change> changes);

} // namespace pexilon
