// The checker: every fault of a configuration text and every place where it
// reads differently from how it looks, as compiler-style diagnostics. It runs
// the library's own reader and interpreter with sinks attached; it does not
// parse anything a second time.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "check/diagnostic_kinds.h"
#include "config/line_accounts.h"
#include "config/parse_config.h"
#include "config/record_changes.h"
#include "pexilon/config_check.h"
#include "reader/line_map.h"

namespace pexilon::check {

// A related place: the first SIZE of a duplicate, the start of a cut block.
struct note {
    std::size_t line = 0;       // 1-based editor line
    std::size_t column = 0;     // 1-based first byte, 0 for the whole line
    std::size_t end_column = 0; // 1-based column just past the text
    std::string message;
    // The same columns counted in characters (character_columns.h).
    std::size_t display_column = 0;
    std::size_t display_end_column = 0;
};

// An edit that repairs a diagnostic: on one editor line, the bytes from
// `column` up to `end_column` (equal to insert) become `replacement`.
struct fix_it {
    std::size_t line = 0;
    std::size_t column = 0;     // 1-based
    std::size_t end_column = 0; // 1-based, just past the replaced text
    std::string replacement;
    std::string change;             // what the edit does to the record
    std::size_t display_column = 0; // the columns counted in characters
    std::size_t display_end_column = 0;
    // The same as `change` in the record's parts, placed (where an entry
    // or a control stands); the checker offers a fix only where the record
    // differs in these alone.
    std::vector<pexilon::record_change> record{};
};

struct diagnostic {
    pexilon_check_severity severity = PEXILON_CHECK_WARNING;
    std::string_view name;       // stable name, e.g. unknown-key: kind_of(id).name
    std::string message;         // one sentence: what the record got
    std::string hint;            // "did you mean 'WIDTH'?", or empty
    std::size_t line = 0;        // 1-based editor line (newline-terminated lines)
    std::size_t column = 0;      // 1-based first byte, 0 for the whole line
    std::size_t end_column = 0;  // 1-based column just past the text
    std::size_t reader_line = 0; // the line as pexilon_parse_config counts it
    std::string_view source;     // the editor line without its line end
    std::vector<note> notes;
    std::vector<fix_it> fixes{}; // only repairs that are certain; applied together
    // The columns counted in characters, as a caret is placed under them.
    std::size_t display_column = 0;
    std::size_t display_end_column = 0;
    diag_id id = diag_id::no_separator; // its row in the registry (diagnostic_kinds.h)
};

// What one check found.
struct summary {
    int parse_result = 0; // what pexilon_parse_config returns for this input
    std::size_t errors = 0;
    std::size_t warnings = 0;
    int os_error = 0; // errno behind a read error or an input not opened
};

// Receives each diagnostic, in line order; returns false to stop the check.
// `source` and every other view live only for the duration of the call.
using diagnostic_callback = std::function<bool(const diagnostic &)>;

// Checks `text` (NUL bytes allowed). With `inline_config` false, the
// directives in its comments (suppressions.h) are ignored.
summary check_text(std::string_view text, const diagnostic_callback &each,
                   bool inline_config = true);

// Checks a file, or an open stream such as standard input, read to its end.
// parse_result is -1 when the input cannot be opened or read at all; then
// nothing reaches `each`.
summary check_path(const char *path, const diagnostic_callback &each, bool inline_config = true);
summary check_stream(std::FILE *stream, const diagnostic_callback &each, bool inline_config = true);

// What a check tells a reader that shares its parse.
struct shared_check {
    config_report report;
    std::vector<std::size_t> warned_lines; // editor lines drawing a diagnostic, in order, once each
};

// Checks `text` (`map` its line map), directives heeded, in a parse that also
// tells `also` of every line and fills `record` (empty on entry): a document
// of the text is built from the same parse (document_parse). Throws
// std::bad_alloc when memory runs out.
shared_check check_sharing(std::string_view text, const line_map &map, account_listener &also,
                           parsed_config &record);

} // namespace pexilon::check
