#include "check/explained_lines.h"

#include "check/rule_pass.h"
#include "reader/line_map.h"

namespace pexilon::check {

std::vector<explained_line> explain_text(std::string_view text)
{
    const line_map map(text);
    return run_rule_pass(text, map, true).accounts;
}

} // namespace pexilon::check
