// Finding the line that gives a field its value, and where a line for a key
// the file lacks goes.
#pragma once

#include <cstddef>
#include <string>

#include "document/document.h"
#include "edit/splice.h"

namespace pexilon::edit {

// The last piece whose value the record kept for `key` (of control
// `control` for control keys), or null when no line sets it.
const document_piece *setting_piece(const document &doc, const key_row &key,
                                    std::size_t control) noexcept;

// The last editor line of section `section` that is not blank or a comment
// (its header when there is none).
std::size_t last_content_line(const document &doc, std::size_t section) noexcept;

// `new_line` at the end of the last section of `code`, or, when the file has
// none, after the file's end with the section's header written before it.
splice line_in_section(const document &doc, std::uint32_t code, const std::string &new_line);

} // namespace pexilon::edit
