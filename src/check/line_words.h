// The words explain shows beside a line: what the reader took it for and
// what the interpreter made of it, drawn from its account and the run's
// state once the rules have judged the line. Only made when accounts are
// asked for; the diagnostics do not depend on them.
#pragma once

#include <string>

#include "check/run_state.h"

namespace pexilon::check {

std::string line_words(const line_account &line, const run_state &s);

} // namespace pexilon::check
