// What the library's reader makes of a document, line by line, for the
// outline, completion and hover: where sections start, which key each line
// sets, and the name of each control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon_lsp {

// One section the reader opened, from its header line to the line before the
// next header that opened one (lines are 0-based editor lines).
struct section_span {
    std::size_t first_line = 0;
    std::size_t last_line = 0;
    std::string section;           // as the reader reports it: "board parameter||dev2"
    std::uint32_t code = 0;        // 0 for a section the library ignores
    std::string ctrl_name;         // the control's CTRL_NAME, for control sections
    std::size_t control_index = 0; // its place in controls[], for control sections
};

// A name/value or continuation line: the key it sets (a continuation sets
// the key of the line it continues).
struct key_line {
    std::size_t line = 0;
    std::size_t section = 0; // index into sections, meaningless before the first one
    bool in_section = false;
    std::string name;
};

struct document_model {
    std::vector<section_span> sections;
    std::vector<key_line> keys; // in line order
    std::size_t line_count = 0;

    // The section in effect at `line` (the last one opened before it), or null.
    const section_span *section_at(std::size_t line) const noexcept;

    // The key set on `line`, or null when the line sets none.
    const key_line *key_at(std::size_t line) const noexcept;
};

// Reads `text` with the library's reader. Throws std::bad_alloc only.
document_model read_document(std::string_view text);

} // namespace pexilon_lsp
