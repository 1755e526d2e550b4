// The lines of a text in memory, as a source of the line parser.
#pragma once

#include <cstddef>

#include "reader/line_loop.h"
#include "reader/text_source.h"

namespace pexilon {

struct memory_lines {
    text_cursor cursor;

    char *next(char *buffer, int size) noexcept { return read_text_line(buffer, size, &cursor); }
};

// Parses exactly `size` bytes at `data` (see parse_bytes_detailed).
template <typename Receiver>
parse_outcome parse_text_with(const char *data, std::size_t size, Receiver &receiver,
                              reader_sink *sink = nullptr) noexcept
{
    memory_lines lines{{data, data != nullptr ? size : 0}};
    return run_line_parser(lines, receiver, sink);
}

} // namespace pexilon
