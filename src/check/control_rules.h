// What a control section leaves out: a control with no name or no step, an
// empty control, two controls of one name.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "check/check_run.h"

namespace pexilon::check {

// What a control section gave, once it is over.
struct control_facts {
    std::string label; // "controls[2]"
    place header;      // its "[control parameter]"
    bool any_key = false;
    bool has_name = false;
    place name; // where CTRL_NAME was given
    bool has_step = false;
    bool has_code = false;
    std::string ctrl_name; // as the record holds it
};

// Adds to `out` what the control lacks; `names` holds the names of the
// controls before it, and gets this one's.
void check_control_keys(const control_facts &control, std::unordered_map<std::string, place> &names,
                        std::vector<raw_diagnostic> &out);

} // namespace pexilon::check
