#include "check/line_accounts.h"

#include "check/check_run.h"
#include "check/input_map.h"

namespace pexilon::check {

std::vector<line_account> explain_text(std::string_view text)
{
    const input_map map(text);
    return run_check(text, map, true).accounts;
}

} // namespace pexilon::check
