#include "check/line_accounts.h"

#include "check/check_run.h"

namespace pexilon::check {

std::vector<line_account> explain_text(std::string_view text)
{
    return run_check(text, true).accounts;
}

} // namespace pexilon::check
