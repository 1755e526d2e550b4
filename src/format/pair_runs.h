// The runs the layout keeps together: a pair line and the continuation lines
// that belong to it. Blank lines and comments stand inside a run; any other
// line ends it.
#pragma once

#include <cstddef>

#include "format/format_lines.h"

namespace pexilon::format {

// Walks lines 0 to count - 1 by role_of(i): at a pair, end_run() and then
// on_pair(i); at a continuation line, on_continuation(i); at a blank line or
// a comment, nothing; at any other line, end_run(). Once more end_run() at
// the end, so that the last run is ended too.
template <class RoleOf, class OnPair, class OnContinuation, class EndRun>
void walk_pair_runs(std::size_t count, RoleOf role_of, OnPair on_pair,
                    OnContinuation on_continuation, EndRun end_run)
{
    for (std::size_t i = 0; i < count; ++i) {
        switch (role_of(i)) {
        case line_role::pair:
            end_run();
            on_pair(i);
            break;
        case line_role::continuation:
            on_continuation(i);
            break;
        case line_role::blank:
        case line_role::comment:
            break;
        default:
            end_run();
        }
    }
    end_run();
}

} // namespace pexilon::format
