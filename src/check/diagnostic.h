// A diagnostic, its notes and its fix-its: one shape from the rule that
// finds it to the output that shows it. A rule places each on the reader
// line it judges (a byte range of it, or the whole line); once the run is
// over, the checker adds where an editor shows it (line, columns in bytes
// and in characters). The C ABI, the language server and the program's
// outputs read the same structures.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/boxed_vector.h"
#include "check/diagnostic_kinds.h"
#include "check/shared_text.h"
#include "config/record_changes.h"
#include "pexilon/config_check.h"
#include "reader/reader_sink.h"

namespace pexilon::check {

struct place {
    // As the rule found it.
    std::size_t reader_line = 0; // as pexilon_parse_config counts lines
    bool whole_line = true;
    text_span span; // bytes of the reader line
    // As an editor shows it, set by the checker after the run.
    std::size_t line = 0;       // 1-based editor line (newline-terminated lines)
    std::size_t column = 0;     // 1-based first byte, 0 for the whole line
    std::size_t end_column = 0; // 1-based column just past the text
    // The same columns counted in characters, as a caret is placed under them.
    std::size_t display_column = 0;
    std::size_t display_end_column = 0;
};

// A related place: the first SIZE of a duplicate, the start of a cut block.
struct note {
    place where;
    std::string message;
};

// An edit that repairs a diagnostic: the bytes of `where` (an empty range
// to insert) become `replacement`; `change` says what that does to the
// record, and `record` the same in the record's parts (where an entry or a
// control stands); the checker offers a fix only where the record differs
// in these alone.
struct fix_it {
    place where;
    std::string replacement;
    std::string change;
    std::vector<record_change> record{};
};

struct diagnostic {
    diagnostic() = default;
    diagnostic(diag_id kind, shared_text words, shared_text hint_words = {}, place at = {},
               std::vector<note> related = {}, std::vector<fix_it> repairs = {})
        : id(kind), severity(kind_of(kind).severity), message(std::move(words)),
          hint(std::move(hint_words)), where(at), notes(std::move(related)),
          fixes(std::move(repairs))
    {
    }
    // One on the line being judged, bytes `begin` to `end` of it: the
    // listener sets its reader line, and its fixes', as it is added.
    diagnostic(diag_id kind, shared_text words, std::size_t begin, std::size_t end,
               shared_text hint_words = {})
        : diagnostic(kind, std::move(words), std::move(hint_words), {0, false, {begin, end}})
    {
    }

    // Its stable name, e.g. unknown-key.
    std::string_view name() const noexcept { return kind_of(id).name; }

    // A run may hold 100,000 of these until it is over: each field is as
    // small as it can be (128 bytes in all), and words repeated from one
    // diagnostic to the next are held once.
    diag_id id = diag_id::no_separator; // its row in the registry (diagnostic_kinds.h)
    pexilon_check_severity severity = PEXILON_CHECK_WARNING; // from the registry's row
    shared_text message;                                     // one sentence: what the record got
    shared_text hint;                                        // "did you mean 'WIDTH'?", or empty
    place where;
    std::string_view source; // placed: the editor line without its line end
    boxed_vector<note> notes;
    boxed_vector<fix_it> fixes; // only repairs that are certain; applied together
};
static_assert(sizeof(diagnostic) <= 128, "a run holds many: keep a diagnostic small");

// The diagnostics of a run. A deque: one stays where it was added while
// more are found (a rule goes on filling the one it added), and a run of
// many does not move them all as it grows.
using diagnostic_list = std::deque<diagnostic>;

} // namespace pexilon::check
