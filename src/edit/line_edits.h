// Edits that put a line in or take lines out: an entry inserted or removed,
// a control section added or removed. Every other line stays byte for byte,
// and each result is read again as a set's is.
#pragma once

#include <cstddef>
#include <string_view>

#include "document/document.h"
#include "edit/verify.h"

namespace pexilon::edit {

// "REG=0x12,0x0100,0x01" as a line after entries[after] (after the lines
// that continue it), in the entry's section.
edit_outcome insert_entry_after(const document &doc, std::size_t after, std::string_view entry);

// The same line as the new entries[index]: before the line of
// entries[index], in that entry's section, or after the last entry's lines
// when `index` is the number of entries.
edit_outcome insert_entry_at(const document &doc, std::size_t index, std::string_view entry);

// The same line at the end of the last section named `section` ("board
// parameter||dev2" as json names it, or "[board parameter][dev2]" as a
// header writes it), the section added at the end of the file when there is
// none.
edit_outcome insert_entry_in(const document &doc, std::string_view section, std::string_view entry);

// Removes the line of entries[index].
edit_outcome remove_entry(const document &doc, std::size_t index);

// Removes the section of controls[index], its code block with it; comments
// and blank lines at its end, which stand before the next section, stay.
edit_outcome remove_control(const document &doc, std::size_t index);

// A control section named `name` added at the end of the file.
edit_outcome add_control(const document &doc, std::string_view name);

} // namespace pexilon::edit
