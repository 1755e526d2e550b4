// The faulty lines of a text, for a reader that needs its record and where
// its faults are but nothing else of its lines (the formatter's check of
// its result): no document is built and no line accounted for.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "config/parse_config.h"
#include "reader/parse_outcome.h"

namespace pexilon {

struct line_fault {
    std::size_t reader_line = 0;
    fault problem = fault::none; // as the document's piece holds it
};

struct faulty_lines {
    config_report report;
    std::vector<line_fault> faults; // in order
};

// Reads `text` into `record` (empty on entry). Every faulty line comes with
// the fault its piece of a document would hold: its own, unless a code
// block's later fault stands over it. Throws std::bad_alloc when memory
// runs out; `record` is filled all the same.
faulty_lines read_faulty_lines(std::string_view text, parsed_config &record);

} // namespace pexilon
