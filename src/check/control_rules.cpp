#include "check/control_rules.h"

#include <functional>

namespace pexilon::check {

const place *control_names::first(std::string_view name, const place &where)
{
    if ((entries_.size() + 1) * 2 > slots_.size())
        grow();
    const std::size_t hash = std::hash<std::string_view>{}(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        slot &s = slots_[i];
        if (s.entry == 0) {
            entries_.push_back({text_.size(), name.size(), where});
            text_.append(name);
            s = {hash, entries_.size()};
            return nullptr;
        }
        const entry &e = entries_[s.entry - 1];
        if (s.hash == hash && std::string_view(text_).substr(e.begin, e.size) == name)
            return &e.where;
    }
}

void control_names::grow()
{
    std::vector<slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const slot &s : old) {
        if (s.entry == 0)
            continue;
        std::size_t i = s.hash & mask;
        while (slots_[i].entry != 0)
            i = (i + 1) & mask;
        slots_[i] = s;
    }
}

void check_control_keys(const control_facts &control, control_names &names,
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
    const place *first = names.first(control.ctrl_name, control.name);
    if (first == nullptr)
        return;
    raw_diagnostic d{PEXILON_CHECK_WARNING,
                     "duplicate-control",
                     "a second control named '" + std::string(control.ctrl_name) + "' (" + label +
                         "): hosts and diff find controls by name, and find the first",
                     "give each control a name of its own",
                     control.name,
                     {}};
    d.notes.push_back({*first, "the first control of that name"});
    out.push_back(std::move(d));
}

} // namespace pexilon::check
