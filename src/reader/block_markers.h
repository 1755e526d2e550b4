// The two lines that open and close a control's code block. The reader
// compares a line with them without regard to the case of its letters.
#pragma once

#include "reader/text_helpers.h"

namespace pexilon {

namespace line_detail {
// Opens a block: read where a line of the main loop may be one.
inline constexpr block_marker code_block_start = make_block_marker("======CODE_BLOCK_START======");
} // namespace line_detail

namespace block_detail {
// Closes the block: looked for only inside one.
inline constexpr block_marker code_block_end = make_block_marker("======CODE_BLOCK_END======");
} // namespace block_detail

} // namespace pexilon
