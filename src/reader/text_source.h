// In-memory entry point of the line parser.
#pragma once

#include <cstddef>

#include "reader/line_parser.h"

namespace pexilon {

// The stream object of read_text_line: the bytes not yet handed out.
struct text_cursor {
    const char *position;
    std::size_t bytes_left;
};

// line_reader over a text_cursor. It copies bytes by count, so a NUL byte is
// handed out like any other byte.
char *read_text_line(char *buffer, int size, void *cursor) noexcept;

// Parses exactly `size` bytes at `data`.
parse_outcome parse_bytes(const char *data, std::size_t size, line_handler handler, void *user,
                          block_taker taker = nullptr, reader_sink *sink = nullptr) noexcept;

} // namespace pexilon
