// The differences between two records: camera fields, board and register
// entries group by group, and controls. Formatting, comments and the order
// of camera keys leave no trace in a record, so they make no difference.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pexilon/config_parser.h"

namespace pexilon::tool {

enum class change_kind { added, removed, changed };

// One field's value, as the dump shows it; `number` when it is a number,
// `is_text` when it is one of the record's texts (the file's bytes).
struct field_value {
    std::string shown;
    bool is_number = false;
    std::int64_t number = 0;
    bool is_text = false;
};

struct field_change {
    std::string field; // "width", "max_value", ...
    field_value a, b;
};

struct camera_change {
    std::size_t field; // index into camera_members
    field_change values;
};

// An entry of one group (section kind and variant, the upper half of its
// type) added, removed, or changed in place. Indices are into params.
struct entry_change {
    change_kind kind;
    std::uint32_t group;
    std::size_t a_index = 0; // removed and changed
    std::size_t b_index = 0; // added and changed
};

struct control_change {
    change_kind kind;
    std::size_t a_index = 0;
    std::size_t b_index = 0;
    std::vector<field_change> fields; // changed controls
    // A unified diff of the code texts, hunk headers included; empty when
    // the texts are the same.
    std::vector<std::string> code_diff;
};

struct record_diff {
    std::vector<camera_change> camera;
    std::vector<entry_change> entries; // group by group, each in file order
    std::vector<control_change> controls;

    bool same() const { return camera.empty() && entries.empty() && controls.empty(); }
};

record_diff compare_records(const parsed_config &a, const parsed_config &b);

// An entry as the dump shows it, after its key: "REG 0x3000 0x0001".
std::string entry_text(const param_entry &entry);

// A group (upper half of a type) as "[register parameter][dev3][inf2]".
std::string group_text(std::uint32_t group);

} // namespace pexilon::tool
