// Positions and ranges as a request or a change names them, read one way for
// every message: line and character are non-negative integers (a float, a
// negative number or another type is refused, never converted), and a range
// does not end before it starts. What is wrong is thrown as the JSON
// library's type_error, which a request answers with InvalidParams.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "text_lines.h"

namespace pexilon::lsp {

struct protocol_range {
    position start;
    position end;
};

// What was wrong with a message, without the JSON library's own tag
// ("[json.exception.type_error.302] "), which means nothing to an editor.
std::string request_fault(const nlohmann::json::exception &e);

// {"line": .., "character": ..}.
position position_in(const nlohmann::json &at);

// {"start": .., "end": ..}, the end not before the start.
protocol_range range_in(const nlohmann::json &range);

// The reader lines that protocol lines `first` to `last` (inclusive) fall in,
// `last` ending the range at its start when it is past `first` and
// `end_character` is 0: a selection of whole lines ends at the start of the
// line after them.
struct reader_span {
    std::size_t first = 0;
    std::size_t last = 0; // inclusive
};
reader_span reader_lines_of(const text_lines &lines, const protocol_range &range);

} // namespace pexilon::lsp
