// The options of `pexilon-config check`.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace pexilon::tool {

enum class check_format { text, gcc, json, sarif, github };

// --fix makes the fix-its in place, --fix-dry-run shows them as a diff.
enum class fix_mode { none, apply, dry_run };

struct check_options {
    check_format format = check_format::text;
    bool color = false; // decided from --color, NO_COLOR and the terminal
    bool werror = false;
    std::set<std::string, std::less<>> silenced; // warnings turned off with -Wno-NAME
    bool inline_config = true; // --no-inline-config ignores directives in comments
    fix_mode fix = fix_mode::none;
    std::set<std::string, std::less<>> fix_only; // --fix=NAME,...: empty for every warning
    std::vector<std::string> files;              // "-" is standard input
};

// Reads the arguments after "check". On a usage error returns false with
// the reason in `error`.
bool parse_check_options(const std::vector<std::string> &args, check_options &result,
                         std::string &error);

} // namespace pexilon::tool
