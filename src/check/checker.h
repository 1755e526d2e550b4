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

#include "check/diagnostic.h"
#include "config/line_accounts.h"
#include "config/parse_config.h"
#include "config/record_changes.h"
#include "pexilon/config_check.h"
#include "reader/line_map.h"

namespace pexilon::check {

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
