// What the reader made of each line, for a listener that wants to know more
// than the first faulty line. The parse calls a sink only when one is
// attached; without one it computes nothing for it.
#pragma once

#include <cstddef>

#include "reader/parse_outcome.h"

namespace pexilon {

// What a line of input (a piece of at most 199 bytes) was taken for.
enum class line_kind : unsigned char {
    blank,        // nothing but white space
    comment,      // ";", "#" or "//" first
    header,       // a closed section header
    name_value,   // "name = value" or "name: value"
    continuation, // an indented line after a name/value line
    block_start,  // the start marker of a code block
    block_line,   // a line gathered into a code block
    block_end,    // the end marker: the text goes to the handler now
    block_cut,    // a section header that cut a code block off (used up)
    faulty,       // no separator, or a header without its "]"
};

// Byte offsets [begin, end) within the line as it was read.
struct text_span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct line_event {
    line_kind kind = line_kind::blank;
    text_span name;                 // header: the section text; name/value: the name
    text_span value;                // name/value and continuation: the value as handed on
    text_span rest;                 // header: what follows its closing "]", ignored
    const char *section = "";       // the current section after this line
    const char *previous_name = ""; // continuation: the name it continues
    std::size_t block_start = 0;    // block lines: the line of the start marker
    fault problem = fault::none;    // faulty: what is wrong with the line
};

class reader_sink {
public:
    // Called before the handler hears of the line, so that what the handler
    // reports can be tied to it.
    virtual void line(std::size_t reader_line, const line_event &event) noexcept = 0;
    // Every fault, not only the first: `replaces` is true for the faults of
    // code blocks, which stand over an earlier one.
    virtual void fault_at(std::size_t reader_line, fault kind, bool replaces) noexcept = 0;

protected:
    ~reader_sink() = default;
};

} // namespace pexilon
