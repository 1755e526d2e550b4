// The canonical layout of a configuration text, line by line, from what the
// reader made of each line. It decides; the formatter checks the result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "format/format_lines.h"
#include "format/format_values.h"
#include "reader/line_map.h"

namespace pexilon::format {

struct format_options {
    bool align = false; // pad names so that the "=" of a section's pairs line up
    hex_case digits = hex_case::upper;
};

// Blanks before a continued line's text.
inline constexpr std::size_t continuation_indent = 4;

// The longest line the reader takes whole, its line end included: a longer
// one is read in pieces, each a line of its own.
inline constexpr std::size_t longest_whole_line = piece_limit;

// `text` laid out by these rules (`reading` is what the reader made of it):
//  - a section header flush left, one blank line before it (before the
//    comments right above it, which belong to it), none at the start;
//  - "NAME = value", the value's numbers joined by ", " in the chosen case
//    (":" for "=" where a section or the file uses it throughout); with
//    `align`, the names of a section padded to the longest;
//  - an inline comment one blank after the value;
//  - a continuation line indented by continuation_indent blanks, or under
//    the first item of its pair's value where its author put it there;
//  - what else the author did with care (format_hand_columns.h) as it is;
//  - comments flush left; runs of blank lines made one, none at the end;
//  - no white space at the end of a line; line ends and a byte-order mark
//    as the text has them.
// Left exactly as they are: code blocks with their markers, faulty lines,
// lines read in pieces or holding a NUL byte, and the lines marked in
// `as_written` (0-based editor lines): those that draw a diagnostic, whose
// layout would make a mistake look intended. A line the layout would make
// longer than longest_whole_line keeps its own spelling. No line up to the
// last fault's is added or removed, so that every fault keeps its line.
// With `line_starts`, it gets where the laid text of each editor line starts
// in the result (line 1's at 0, its byte-order mark included): line i
// became the bytes up to the next one's start, none where it was dropped.
std::string lay_out(std::string_view text, const text_reading &reading,
                    const format_options &options, const std::vector<bool> &as_written,
                    std::vector<std::size_t> *line_starts = nullptr);

} // namespace pexilon::format
