// File-backed entry points of the line parser.
#pragma once

#include <cstdio>

#include "reader/line_parser.h"

namespace pexilon {

// Parses an open stdio stream to its end. A stream whose first read fails
// gives cannot_open_line; a read error later gives the number of the line
// that could not be read, unless an earlier line was already faulty. A read
// cut short by a signal (EINTR) is no error: it is made again.
parse_outcome parse_stream(std::FILE *stream, line_handler handler, void *user,
                           block_taker taker = nullptr) noexcept;

// Opens `path` for reading and parses it; cannot_open_line when it cannot be
// opened or read at all (nothing is then handed to the handler).
parse_outcome parse_path(const char *path, line_handler handler, void *user,
                         block_taker taker = nullptr) noexcept;

} // namespace pexilon
