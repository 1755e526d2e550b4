// The parts of an editor line: its named spans (name, separator, each value
// item, comment, trailing blanks, line end) in order, and the gaps between
// them, so that the parts of every line laid end to end are the text.
#pragma once

#include <string_view>
#include <vector>

#include "document/document.h"

namespace pexilon {

// Appends the parts of `line` to `out`. They cover line.bytes exactly: a span
// the accounts give that would overlap one before it is left to the gap.
void append_line_parts(std::string_view text, const document_line &line,
                       const std::vector<document_piece> &pieces,
                       const std::vector<document_number> &numbers, std::vector<line_part> &out);

} // namespace pexilon
