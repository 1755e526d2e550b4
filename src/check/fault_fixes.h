// The fix-its of the library's faults, where the repair is certain. Each
// is judged as the rules judge a line (run_state.h), on the faulty line.
#pragma once

#include <cstddef>
#include <vector>

#include "check/run_state.h"

namespace pexilon::check {

// "CFG_MODE 1" in a camera section: a key of the section, white space, and
// a rest that reads whole as the key's value, with no indented line below
// to continue it. The separator the line lacks goes after the key, so that
// it reads "CFG_MODE = 1". `part` is the text the reader read, `name_end`
// where it stopped looking for a separator.
std::vector<fix_it> separator_fix(const run_state &s, text_span part, std::size_t name_end);

// "[camera parameter" with the name of a known section: the "]" it lacks,
// after the name. `part` is the text the reader read, `name_end` where it
// stopped looking for the "]".
std::vector<fix_it> bracket_fix(const run_state &s, text_span part, std::size_t name_end);

} // namespace pexilon::check
