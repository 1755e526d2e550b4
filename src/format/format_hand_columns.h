// What an author did consistently and the layout keeps, as gofmt keeps
// aligned comments, so that a file written with care is already in the
// layout: the columns a section lined up by hand (the "=" of its pairs and
// its inline comments), a ":" separator that a section or the whole file
// uses throughout, and continuation lines lined up under the first item of
// the value they continue. What is done only in part is laid out as any
// other.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "format/format_lines.h"

namespace pexilon::format {

// Per editor line, the byte columns (0-based from the line's start, 0 for
// none) its separator and its inline comment keep, whether a pair keeps ":"
// for its separator, and whether a continuation stays under the value.
struct hand_columns {
    std::size_t separator = 0;
    std::size_t remark = 0;
    bool colon = false;
    bool under_value = false;
};

// The "=" column of a section counts when its pairs (two or more) all have
// their separators at one column and some name is padded to it. The comment
// column counts when two or more comments of a section stand at one column
// past a padding of more than one blank; a section's lone padded comment
// counts when it stands at a column another section aligns its comments to.
// A pair keeps ":" when the pairs of its section (two or more) all use it,
// or those of the whole file (two or more) do. The continuation lines of a
// pair stay under the first item of its value when each of them (those in
// `as_written` aside, which keep their bytes anyway) is indented with
// blanks alone to the column where that item stands.
std::vector<hand_columns> kept_hand_columns(std::string_view text, const text_reading &reading,
                                            const std::vector<bool> &as_written);

} // namespace pexilon::format
