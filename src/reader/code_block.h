// The code-block mode of the line parser: the lines between the start and end
// markers are gathered, uninterpreted, into one text for the handler.
#pragma once

#include <cstddef>

#include "reader/block_markers.h"
#include "reader/byte_search.h"
#include "reader/parser_state.h"
#include "reader/text_helpers.h"

namespace pexilon {

namespace block_detail {

// A closed bracket group at the start of a line ends a block early.
inline bool is_closed_header(char *text) noexcept
{
    return *text == '[' && *scan_to_bracket(text + 1) == ']';
}

template <typename State>
void tell_block(State &state, line_kind kind, std::size_t start_line) noexcept
{
    if (state.sink != nullptr) {
        line_event event;
        event.kind = kind;
        event.section = state.section;
        event.block_start = start_line;
        state.sink->line(state.line_number, event);
    }
}

} // namespace block_detail

// Reads a code block whose start marker is the current line.
template <typename State>
void read_code_block(State &state) noexcept
{
    using namespace block_detail;
    const std::size_t start_line = state.line_number;
    block_text &text = state.block;
    if (!text.start())
        state.record(fault::block_no_memory);
    while (state.next_line()) {
        // Code is indented with blanks: they are passed over at once, before
        // the end is trimmed (a wide read over the terminator just written
        // would wait for it). All white space, the line's start lies past
        // its trimmed end, on its newline or terminator, which is no "[" or
        // "=".
        char *start = trim_left(skip_blanks(state.line, state.readable_end()));
        const char *end = trim_back(state.line, state.end_of_text());
        if (is_closed_header(start)) {
            tell_block(state, line_kind::block_cut, start_line);
            state.record_over(fault::block_cut_off);
            return;
        }
        if (*start == '=' &&
            spells_marker(start, static_cast<std::size_t>(end - start), code_block_end)) {
            tell_block(state, line_kind::block_end, start_line);
            if (text.held() && state.report_block(text.data(), text.size()))
                text.release();
            return;
        }
        tell_block(state, line_kind::block_line, start_line);
        if (!text.append(state.line, static_cast<std::size_t>(end - state.line)))
            state.record(fault::block_no_memory);
    }
    state.record_over(fault::block_unterminated);
}

} // namespace pexilon
