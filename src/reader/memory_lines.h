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

// Parses exactly `size` bytes at `data` (as the parse_bytes that takes a line_handler).
template <typename Receiver>
parse_outcome parse_bytes(const char *data, std::size_t size, Receiver &receiver,
                          reader_sink *sink = nullptr) noexcept
{
    memory_lines lines{{data, data != nullptr ? size : 0}};
    return run_line_parser(lines, receiver, sink);
}

} // namespace pexilon
