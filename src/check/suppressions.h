// Suppressions written in the file: a comment such as
//
//   ; pexilon-config: disable-next-line=unknown-section
//
// turns warnings off for the next line (disable-next-line), its own line
// (disable-line), or from the line after it on (disable) up to an enable.
// After "=" come warning names separated by commas, or "all"; without
// "=" a directive means all. Errors cannot be turned off. A directive that
// names no warning, or that turns nothing off, draws a warning of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "check/rule_pass.h"
#include "config/line_accounts.h"
#include "reader/line_map.h"

namespace pexilon::check {

enum class directive_scope { next_line, line, from_here, enable };

struct directive {
    directive_scope scope = directive_scope::line;
    place where;                    // the directive's text
    std::vector<std::string> names; // empty: every warning
    std::string spelling;           // the directive as written, for messages
    // What keeps it from turning anything off, when it turns nothing off
    // whatever it names: "" for none.
    std::string refused;
};

// The directives in the comments of `text`, whose line_map is `map`: on
// comment lines, and after a value or a header where the reader takes the
// rest of the line as a comment. Text in code blocks is code, not comment.
std::vector<directive> directives_of(std::string_view text, const line_map &map);

// Drops the warnings of `found` that directives turn off, and adds a
// warning for each directive that names no known warning or turns nothing
// off.
void apply_directives(const line_map &map, const std::vector<directive> &directives,
                      std::vector<diagnostic> &found);

} // namespace pexilon::check
