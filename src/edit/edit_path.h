// The place in a record an edit names, written as `pexilon-config json`
// names it: "camera.width", "controls[2].max_value", "controls[Exposure].code",
// "entries[3].values".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "config/vocabulary.h"
#include "pexilon/config_parser.h"

namespace pexilon::edit {

enum class path_target : unsigned char { camera, control, entry };

struct edit_path {
    path_target target = path_target::camera;
    std::size_t index = 0;                 // control or entry
    const record_member *member = nullptr; // camera and control fields
    const key_row *key = nullptr;          // the key that writes the field
    std::size_t order = 0;                 // the number of the key's value that holds it
    bool code = false;                     // controls[i].code
};

// Resolves `text` against `record`. On failure returns false with the reason
// in `error`: a path that names nothing, or a field no key of a file sets.
bool resolve_path(std::string_view text, const parsed_config &record, edit_path &path,
                  std::string &error);

// "entries[3]", "controls[Exposure]": a whole entry or control, for removal.
bool resolve_item(std::string_view text, const parsed_config &record, path_target &target,
                  std::size_t &index, std::string &error);

// Takes "controls[...]" or "entries[...]" off the front of `rest`.
bool take_item(std::string_view &rest, const parsed_config &record, path_target &target,
               std::size_t &index, std::string &error);

// The field's key among `keys`: the one whose value fills it, and which of
// its numbers does (SIZE fills width with its first and height with its
// second). Null when no key fills it.
const key_row *key_of_member(std::span<const key_row> keys, std::span<const record_member> members,
                             const record_member &member, std::size_t &order) noexcept;

} // namespace pexilon::edit
