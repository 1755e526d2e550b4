#include "check/control_rules.h"

#include <functional>
#include <stdexcept>

#include "check/run_rules.h"

namespace pexilon::check {

const place *control_names::first(std::string_view name, const place &where)
{
    if ((entries_.size() + 1) * 2 > slots_.size())
        grow();
    const std::uint64_t hash = std::hash<std::string_view>{}(name);
    const std::uint64_t tag = hash >> 32;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const slot s = slots_[i];
        const auto index = static_cast<std::uint32_t>(s);
        if (index == 0) {
            // More controls than 32 bits count would take terabytes of record.
            if (entries_.size() >= UINT32_MAX)
                throw std::length_error("too many control names");
            entries_.push_back({text_.size(), name.size(), hash, where});
            text_.append(name);
            slots_[i] = tag << 32 | entries_.size();
            return nullptr;
        }
        if (s >> 32 == tag && name_of(entries_[index - 1]) == name)
            return &entries_[index - 1].where;
    }
}

void control_names::expect(std::string_view name) const noexcept
{
    if (slots_.empty())
        return;
    const std::uint64_t hash = std::hash<std::string_view>{}(name);
    __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
}

// Twice the slots, the names placed again from their hashes.
void control_names::grow()
{
    slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, slot{0});
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t n = 0; n < entries_.size(); ++n) {
        const std::uint64_t hash = entries_[n].hash;
        std::size_t i = hash & mask;
        while (slots_[i] != 0)
            i = (i + 1) & mask;
        slots_[i] = (hash >> 32) << 32 | (n + 1);
    }
}

void check_control_keys(const control_facts &control, control_names &names,
                        std::vector<diagnostic> &out)
{
    const auto label = [&] { return "controls[" + std::to_string(control.index) + "]"; };
    if (!control.any_key && !control.has_code) {
        out.push_back({diag_id::control_incomplete,
                       "empty control section: " + label() +
                           " is a control with no name, all values 0 and no code",
                       "remove the header, or give the control its keys",
                       control.header,
                       {}});
        return;
    }
    if (!control.has_name)
        out.push_back({diag_id::control_incomplete,
                       "control without CTRL_NAME: " + label() +
                           ".ctrl_name is empty, and hosts find controls by name",
                       "add CTRL_NAME = NAME",
                       control.header,
                       {}});
    if (!control.has_step)
        out.push_back({diag_id::control_incomplete,
                       "control without STEP: " + label() + ".step is 0, as STEP = 0 would make it",
                       "add STEP = 1, or the step the control moves by",
                       control.header,
                       {}});
    if (!control.has_name)
        return;
    const place *first = names.first(control.ctrl_name, control.name);
    if (first == nullptr)
        return;
    diagnostic d{diag_id::duplicate_control,
                 "a second control named '" + std::string(control.ctrl_name) + "' (" + label() +
                     "): hosts and diff find controls by name, and find the first",
                 "give each control a name of its own",
                 control.name,
                 {}};
    d.notes.push_back({*first, "the first control of that name"});
    out.push_back(std::move(d));
}

void check_control_range(run_state &s)
{
    const control_entry &c = s.record.controls[s.control.index];
    const place &min = s.control.keys[key_min_value];
    const place &max = s.control.keys[key_max_value];
    const place &def = s.control.keys[key_def];
    const place &step = s.control.keys[key_step];
    if (min.reader_line != 0 && max.reader_line != 0 && c.min_value > c.max_value) {
        diagnostic &d = s.add(diag_id::control_range, min,
                              s.control_name() + ".min_value " + std::to_string(c.min_value) +
                                  " is above max_value " + std::to_string(c.max_value));
        d.notes.push_back({max, "max_value is set here"});
    }
    if (def.reader_line != 0 && ((min.reader_line != 0 && c.def < c.min_value) ||
                                 (max.reader_line != 0 && c.def > c.max_value))) {
        s.add(diag_id::control_range, def,
              s.control_name() + ".def " + std::to_string(c.def) + " lies outside min_value " +
                  std::to_string(c.min_value) + " to max_value " + std::to_string(c.max_value));
    }
    if (step.reader_line != 0 && c.step <= 0) {
        s.add(diag_id::control_range, step,
              s.control_name() + ".step is " + std::to_string(c.step) +
                  ": a step must be 1 or more");
    }
}

void close_control(run_state &s)
{
    control_facts facts;
    facts.index = s.control.index;
    facts.header = s.control.header;
    for (const place &p : s.control.first)
        facts.any_key = facts.any_key || p.reader_line != 0;
    facts.name = s.control.first[key_ctrl_name];
    facts.has_name = facts.name.reader_line != 0;
    facts.has_step = s.control.first[key_step].reader_line != 0;
    facts.has_code = s.control.block_line != 0;
    facts.ctrl_name = s.record.controls[s.control.index].ctrl_name;
    std::vector<diagnostic> found;
    check_control_keys(facts, s.names_given, found);
    for (diagnostic &d : found)
        s.found.add(std::move(d));
}

} // namespace pexilon::check
