// What a parse reports: the first faulty line and what was wrong with it.
#pragma once

#include <cerrno>
#include <climits>
#include <cstddef>

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

// The line of an outcome whose input could not be opened or read at all
// (fault::cannot_open): no line was read, so it names none.
constexpr int cannot_open_line = -1;

// The status of a parse: 0, cannot_open_line or a 1-based line number, with
// the kind of the fault behind it and, for input errors, the errno.
struct parse_outcome {
    int line = 0;
    fault kind = fault::none;
    int os_error = 0;
};

// A line number as a parse reports it: lines are counted in size_t, the
// result is an int, so a line past INT_MAX is reported as INT_MAX.
inline int reported_line(std::size_t line) noexcept
{
    return line > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(line);
}

} // namespace pexilon
