#include "check/control_rules.h"

namespace pexilon::check {

void check_control_keys(const control_facts &control, std::unordered_map<std::string, place> &names,
                        std::vector<raw_diagnostic> &out)
{
    const std::string &label = control.label;
    if (!control.any_key && !control.has_code) {
        out.push_back({PEXILON_CHECK_WARNING,
                       "control-incomplete",
                       "empty control section: " + label +
                           " is a control with no name, all values 0 and no code",
                       "remove the header, or give the control its keys",
                       control.header,
                       {}});
        return;
    }
    if (!control.has_name)
        out.push_back({PEXILON_CHECK_WARNING,
                       "control-incomplete",
                       "control without CTRL_NAME: " + label +
                           ".ctrl_name is empty, and hosts find controls by name",
                       "add CTRL_NAME = NAME",
                       control.header,
                       {}});
    if (!control.has_step)
        out.push_back({PEXILON_CHECK_WARNING,
                       "control-incomplete",
                       "control without STEP: " + label + ".step is 0, as STEP = 0 would make it",
                       "add STEP = 1, or the step the control moves by",
                       control.header,
                       {}});
    if (!control.has_name)
        return;
    const auto [first, added] = names.emplace(control.ctrl_name, control.name);
    if (added)
        return;
    raw_diagnostic d{PEXILON_CHECK_WARNING,
                     "duplicate-control",
                     "a second control named '" + control.ctrl_name + "' (" + label +
                         "): hosts and diff find controls by name, and find the first",
                     "give each control a name of its own",
                     control.name,
                     {}};
    d.notes.push_back({first->second, "the first control of that name"});
    out.push_back(std::move(d));
}

} // namespace pexilon::check
