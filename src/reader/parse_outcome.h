// What a parse reports: the first faulty line and what was wrong with it.
#pragma once

#include <cerrno>

namespace pexilon {

// Kind of the fault recorded for the reported line.
enum class fault : unsigned char {
    none,               // every line well-formed and accepted
    no_separator,       // no "=" or ":" before the end of the line or a comment
    unclosed_header,    // a section header without its closing "]"
    rejected,           // the handler refused the line
    block_cut_off,      // a code block interrupted by a section header
    block_unterminated, // a code block still open at the end of the input
    block_no_memory,    // the text of a code block could not be held
    read_error,         // the input could not be read past this line
    cannot_open,        // the input could not be opened or read at all
};

// The status of a parse: 0, PARSE_OPEN_FAILED (-1) or a 1-based line number,
// with the kind of the fault behind it and, for input errors, the errno.
struct parse_outcome {
    int line = 0;
    fault kind = fault::none;
    int os_error = 0;
};

} // namespace pexilon
