// The columns a section's author lined up by hand: the "=" of its pairs and
// its inline comments. The layout keeps them, as gofmt keeps aligned
// comments, so that a file aligned with care is already in the layout; a
// section aligned only in part is laid out as any other.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "format/format_reading.h"

namespace pexilon::check {

// Per editor line, the byte columns (0-based from the line's start, 0 for
// none) its separator and its inline comment keep.
struct hand_columns {
    std::size_t separator = 0;
    std::size_t remark = 0;
};

// The "=" column of a section counts when its pairs (two or more) all have
// their separators at one column and some name is padded to it. The comment
// column counts when two or more comments of a section stand at one column
// past a padding of more than one blank; a section's lone padded comment
// counts when it stands at a column another section aligns its comments to.
std::vector<hand_columns> kept_hand_columns(std::string_view text, const text_reading &reading);

} // namespace pexilon::check
