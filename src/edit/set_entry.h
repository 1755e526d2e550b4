// Setting an entry's numbers, and a control's code text.
#pragma once

#include <cstddef>
#include <string_view>

#include "document/document.h"
#include "edit/verify.h"

namespace pexilon::edit {

// The piece that made entries[index], or null. Every entry of a record has
// one, as the reader tells of each entry it stores with the line that made
// it, so null means only an index past the entries. The edits check the
// index before they ask, and still refuse a null piece, which no input
// gives today, rather than follow it.
const document_piece *entry_piece(const document &doc, std::size_t index) noexcept;

// entries[index].values = `value` ("1, 0x2C"). The same count of numbers
// rewrites those that differ, each in its own style, so that a list
// continued on indented lines keeps its layout; another count writes the
// numbers from the first to the last anew, joined by ", ".
edit_outcome set_entry_values(const document &doc, std::size_t index, std::string_view value);

// controls[index].code = `value`: the lines between the block's markers
// replaced, or a block added at the end of the control's section.
edit_outcome set_code(const document &doc, std::size_t index, std::string_view value);

} // namespace pexilon::edit
