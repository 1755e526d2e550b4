// The formatter: a configuration text in the canonical layout, and the proof
// that the layout changed nothing the library reads. The new text is read
// again and its record, parse result and faults compared with the old; a
// text whose layout would change any of them is refused, not written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "format/format_layout.h"

namespace pexilon::format {

struct format_result {
    bool formatted = false; // false: refused, `text` is empty
    std::string text;       // the formatted text
    std::string reason;     // refused: the first difference, in one sentence
    std::size_t line = 0;   // refused: the editor line concerned, or 0
    // Asked for (format_text's `line_starts`) and laid out: where the text of
    // each editor line of the old text starts in `text` (lay_out). Empty for
    // a text kept as it is.
    std::vector<std::size_t> line_starts;
};

// How `after` reads otherwise than `before`, first difference first: the
// parse result, the record, then each fault and its line. `formatted` is
// true when they read the same.
format_result compare_readings(const text_reading &before, const text_reading &after);

// Formats `text` (NUL bytes allowed). Throws std::bad_alloc when memory runs
// out.
format_result format_text(std::string_view text, const format_options &options,
                          bool line_starts = false);

} // namespace pexilon::format
