// An edit as bytes: ranges of the old text and what replaces them, applied
// in one pass, and the checks every result passes before it is read again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace pexilon::edit {

struct splice {
    byte_range replaced; // empty for an insertion at `replaced.begin`
    std::string text;
};

// The text with the splices (in order, not overlapping) made.
std::string apply_splices(std::string_view text, std::vector<splice> splices);

// The line end the file uses: that of its first line, "\n" for none.
std::string_view file_line_end(const document &doc);

// Where a new line goes at the end of editor line `line` (after its line
// end), and the line end to put first when that line has none.
splice line_after(const document &doc, std::size_t line, const std::string &new_line);

} // namespace pexilon::edit
