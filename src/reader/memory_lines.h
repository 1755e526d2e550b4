// The lines of a text in memory, as a source of the line parser.
#pragma once

#include <cstddef>

#include "reader/line_loop.h"
#include "reader/stream_lines.h"
#include "reader/text_source.h"

namespace pexilon {

// The lines of a text in memory, read as a file's are, a block at a time:
// most lines are then handed out where they lie in the block, not copied
// one by one, and the parser knows where each ends.
struct memory_lines : stream_lines {
    memory_lines(const char *data, std::size_t size) noexcept : stream_lines(data, size) {}
};

// Parses exactly `size` bytes at `data` (as the parse_bytes that takes a
// line_handler).
template <typename Receiver>
parse_outcome parse_bytes(const char *data, std::size_t size, Receiver &receiver,
                          reader_sink *sink = nullptr) noexcept
{
    static_assert(knows_text_end<memory_lines> && knows_readable_end<memory_lines>,
                  "the lines in memory tell where their text ends");
    memory_lines lines(data, size);
    return run_line_parser(lines, receiver, sink);
}

} // namespace pexilon
