// The line-oriented reader of the configuration dialect: comments, section
// headers, name/value lines, continuation lines and code blocks, reported to a
// handler callback.
#pragma once

#include <cstddef>

#include "reader/parse_outcome.h"
#include "reader/reader_sink.h"

namespace pexilon {

// Gives the next line of input (at most size - 1 characters, the newline
// included when it fits): either in `buffer`, or where the reader already
// holds it. A line that ends with its newline may be left unterminated after
// it, since the parser reads no further; any other line is terminated. The
// parser may overwrite the line; it stays valid until the next call. Returns
// null at the end of the input and on every call after it.
using line_reader = char *(*)(char *buffer, int size, void *stream);

// Receives one event (see handler_event) in the current section. The texts
// live only for the duration of the call. Returns nonzero to accept the line.
using line_handler = int (*)(void *user, const char *section, const char *name, const char *value);

// The events a line_handler hears, told apart by which of name and value are
// null; the section is never null.
//   section_header  name null, value null: `section` is the section it opens
//   name_value      neither null: a name/value line, or a continuation line
//                   under the name of the line it continues
//   code_block      name null, value the block's text: only when the parse
//                   has no block_taker
enum class handler_event : unsigned char { section_header, name_value, code_block };

// Which event a handler call is.
constexpr handler_event event_of(const char *name, const char *value) noexcept
{
    if (name != nullptr)
        return handler_event::name_value;
    return value == nullptr ? handler_event::section_header : handler_event::code_block;
}

// Optionally receives a code block's text with its ownership: `text` is a
// heap block (support/heap.h) holding `size` characters and a terminator. A
// taker that keeps the block sets *taken; the parser then no longer owns it.
// Returns nonzero to accept, like a line_handler. Without a taker, the text
// goes to the line_handler with a null name and the parser releases it.
using block_taker = int (*)(void *user, const char *section, char *text, std::size_t size,
                            bool *taken);

inline constexpr int line_buffer_size = 200; // 199 characters and terminator
inline constexpr int name_buffer_size = 50;  // 49 characters and terminator

// Runs the parser over every line of `stream`. The outcome's line is 0 or the
// number of the first faulty or rejected line (a cut-off code block overrides
// an earlier one), with the kind of its fault; code blocks go to `taker` when
// there is one, and every line and fault is told to `sink` when there is one.
parse_outcome parse_lines(line_reader reader, void *stream, line_handler handler, void *user,
                          block_taker taker = nullptr, reader_sink *sink = nullptr) noexcept;

} // namespace pexilon
