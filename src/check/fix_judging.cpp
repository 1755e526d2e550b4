#include "check/fix_judging.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "check/placement.h"

namespace pexilon::check {

reading read_of(const line_map &map, rule_pass_result &run)
{
    reading out;
    for (const diagnostic &d : run.diagnostics)
        ++out.found[{map.editor_line(d.where.reader_line), d.id}];
    out.kind = run.report.outcome.kind;
    out.fault_line = run.report.outcome.kind == fault::none
                         ? 0
                         : map.editor_line(static_cast<std::size_t>(run.report.outcome.line));
    out.lines = map.editor_lines();
    out.record = std::move(run.record);
    return out;
}

reading read_text(std::string_view text)
{
    const line_map map(text);
    rule_pass_result run = run_rule_pass(text, map, false);
    return read_of(map, run);
}

std::size_t count_at(const reading &r, const place_kind &key)
{
    const auto at = r.found.find(key);
    return at == r.found.end() ? 0 : at->second;
}

namespace {

// True when `r` has an error at editor line `line`.
bool error_at(const reading &r, std::size_t line)
{
    for (auto at = r.found.lower_bound({line, diag_id{}});
         at != r.found.end() && at->first.first == line; ++at)
        if (kind_of(at->first.second).severity == PEXILON_CHECK_ERROR)
            return true;
    return false;
}

} // namespace

bool fault_removed(const reading &before, const reading &after)
{
    if (after.kind == before.kind && after.fault_line == before.fault_line)
        return false;
    if (before.kind == fault::none || error_at(after, before.fault_line))
        return false;
    return after.kind == fault::none ||
           (after.fault_line > before.fault_line && error_at(before, after.fault_line));
}

// Fixes change no line count (each edits within one line), so a line of one
// reading is the same line of the other; a fix that changes it anyway cannot
// be mapped and breaks the rule. The fault stays where it was, unless a fix
// of that very fault removed it and the fault reported then is the next one
// the text had: the record then holds what the lines after the old fault
// give, which no field-by-field comparison with the old one can judge.
bool keeps_rule(const reading &before, const reading &after, std::span<const record_change> changes)
{
    const bool same_fault = after.kind == before.kind && after.fault_line == before.fault_line;
    if (after.lines != before.lines || (!same_fault && !fault_removed(before, after)))
        return false;
    const bool adds = std::any_of(after.found.begin(), after.found.end(), [&](const auto &entry) {
        return entry.second > count_at(before, entry.first);
    });
    return !adds && (!same_fault ||
                     unannounced_change(before.record.get(), after.record.get(), changes).empty());
}

void place_changes(const record_trace &trace, fix_it &fix)
{
    const auto before = [&](const std::vector<std::size_t> &lines) { // parts from earlier lines
        return static_cast<std::uint32_t>(
            std::lower_bound(lines.begin(), lines.end(), fix.where.line) - lines.begin());
    };
    const auto holding = [&](const std::vector<std::size_t> &lines) { // the part up to this line
        const auto at =
            std::upper_bound(lines.begin(), lines.end(), fix.where.line) - lines.begin();
        return static_cast<std::uint32_t>(at == 0 ? 0 : at - 1);
    };
    for (record_change &c : fix.record) {
        const bool held = c.params == entry_change::values || c.params == entry_change::replaced;
        c.entry = held ? holding(trace.param_lines) : before(trace.param_lines);
        c.control_index =
            c.control_added ? before(trace.control_lines) : holding(trace.control_lines);
    }
}

namespace {

// Bytes the checker may read again to try fixes, per text: a file of a few
// kilobytes tries thousands, one of megabytes a handful.
constexpr std::size_t trial_budget = std::size_t{8} << 20;

std::vector<record_change> changes_of(const std::vector<const fix_group *> &groups)
{
    std::vector<record_change> out;
    for (const fix_group *group : groups)
        for (const fix_it &f : *group)
            for (const record_change &c : f.record)
                if (std::find(out.begin(), out.end(), c) == out.end())
                    out.push_back(c);
    return out;
}

// `groups` made together, all of them, keep the rule against `before`.
bool together_keeps_rule(std::string_view text, const reading &before,
                         const std::vector<const fix_group *> &groups)
{
    std::vector<fix_group> made_groups;
    made_groups.reserve(groups.size());
    for (const fix_group *g : groups)
        made_groups.push_back(*g);
    std::size_t made = 0;
    const std::string fixed = apply_fixes(text, made_groups, &made);
    return made == groups.size() && keeps_rule(before, read_text(fixed), changes_of(groups));
}

} // namespace

std::vector<bool> made_together(std::string_view text, const reading &before,
                                const std::vector<fix_group> &groups, std::size_t &spent,
                                std::size_t budget)
{
    std::vector<bool> kept(groups.size(), false);
    std::vector<const fix_group *> taken; // kept so far
    // Those of [first, last) that can join the ones taken: all at once when
    // they can, else each half in turn; one alone that cannot is left out.
    const auto resolve = [&](const auto &self, std::size_t first, std::size_t last) -> void {
        if (first == last)
            return;
        if (taken.empty() && last - first == 1) {
            kept[first] = true; // made alone, it was judged already
            taken.push_back(&groups[first]);
            return;
        }
        std::vector<const fix_group *> trial = taken;
        for (std::size_t i = first; i < last; ++i)
            trial.push_back(&groups[i]);
        spent += text.size() + 1;
        if (spent <= budget && together_keeps_rule(text, before, trial)) {
            for (std::size_t i = first; i < last; ++i)
                kept[i] = true;
            taken = std::move(trial);
            return;
        }
        if (last - first == 1 || spent > budget)
            return;
        const std::size_t middle = first + (last - first) / 2;
        self(self, first, middle);
        self(self, middle, last);
    };
    resolve(resolve, 0, groups.size());
    return kept;
}

namespace {

// A diagnostic's fixes as they are judged: where their effect stays.
struct candidate {
    diagnostic *found;
    fix_group edits;
    place_kind own;
    bool wide = false;
    std::tuple<int, std::size_t> scope{}; // camera, a control, an entry or a line
    bool sound = false;
};

candidate candidate_of(const line_map &map, const record_trace &trace, diagnostic &d)
{
    candidate c{&d, {}, {map.editor_line(d.where.reader_line), d.id}};
    for (const fix_it &found : d.fixes) {
        fix_it f = found;
        place_edited(map, f.where);
        place_changes(trace, f);
        c.edits.push_back(std::move(f));
    }
    const std::vector<record_change> changes = changes_of({&c.edits});
    c.scope = {3, c.own.first};
    for (const record_change &r : changes) {
        c.wide = c.wide || changes.size() > 1 || r.control_added ||
                 (r.control & control_code_bit) != 0 || r.params == entry_change::section ||
                 (r.camera != 0) + (r.control != 0) + (r.params != entry_change::none) > 1;
        if (r.camera != 0)
            c.scope = {0, 0};
        else if (r.control != 0)
            c.scope = {1, r.control_index};
        else if (r.params == entry_change::values || r.params == entry_change::replaced)
            c.scope = {2, r.entry};
    }
    return c;
}

class fix_judge {
public:
    fix_judge(std::string_view text, const reading &before, std::vector<candidate> &all)
        : text_(text), before_(before), all_(all)
    {
    }

    // Marks the members of `set` that keep the rule.
    void judge(const std::vector<std::size_t> &set)
    {
        if (set.empty())
            return;
        spent_ += text_.size() + 1;
        if (spent_ > trial_budget)
            return;
        ++trials_;
        if (keep_rule(set)) {
            for (const std::size_t i : set)
                all_[i].sound = true;
            return;
        }
        if (set.size() == 1)
            return;
        const auto middle = set.begin() + static_cast<std::ptrdiff_t>(set.size() / 2);
        judge({set.begin(), middle});
        judge({middle, set.end()});
    }

    std::size_t &spent() { return spent_; }
    std::size_t trials() const { return trials_; }

private:
    // Made together, the members of `set` keep the rule, and each removes
    // its own diagnostic from its line.
    bool keep_rule(const std::vector<std::size_t> &set) const
    {
        std::vector<fix_group> groups;
        std::vector<const fix_group *> made;
        for (const std::size_t i : set) {
            groups.push_back(all_[i].edits);
            made.push_back(&all_[i].edits);
        }
        std::size_t count = 0;
        const reading after = read_text(apply_fixes(text_, groups, &count));
        // With the fault gone the record is not compared (keeps_rule), so a
        // group that removes it vouches for no member's record: only a fix
        // judged alone may remove the fault.
        const bool same_fault =
            after.kind == before_.kind && after.fault_line == before_.fault_line;
        if (count != set.size() || (set.size() > 1 && !same_fault) ||
            !keeps_rule(before_, after, changes_of(made)))
            return false;
        return std::all_of(set.begin(), set.end(), [&](std::size_t i) {
            return count_at(after, all_[i].own) < count_at(before_, all_[i].own);
        });
    }

    std::string_view text_;
    const reading &before_;
    std::vector<candidate> &all_;
    std::size_t spent_ = 0;
    std::size_t trials_ = 0;
};

// The candidates judged in groups: each group takes at most one of each
// part of the record and one of each line, in the order found.
std::vector<std::vector<std::size_t>> groups_of(const std::vector<candidate> &all)
{
    std::vector<std::vector<std::size_t>> groups;
    std::map<std::tuple<int, std::size_t>, std::size_t> next; // first group a scope may join
    std::set<std::pair<std::size_t, std::size_t>> lines;      // (group, line) taken
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].wide)
            continue;
        std::size_t g = next[all[i].scope];
        while (lines.count({g, all[i].own.first}) != 0)
            ++g;
        if (g == groups.size())
            groups.emplace_back();
        groups[g].push_back(i);
        lines.insert({g, all[i].own.first});
        next[all[i].scope] = g + 1;
    }
    return groups;
}

} // namespace

void keep_sound_fixes(std::string_view text, const line_map &map, rule_pass_result &run)
{
    diagnostic_list &found = run.diagnostics;
    if (std::none_of(found.begin(), found.end(),
                     [](const diagnostic &d) { return !d.fixes.empty(); }))
        return;
    const reading before = read_of(map, run);
    record_trace trace;
    {
        parsed_config traced{};
        trace_text(text, &traced, trace);
        const held_record released(traced);
    }
    std::vector<candidate> all;
    for (diagnostic &d : found)
        if (!d.fixes.empty()) {
            all.push_back(candidate_of(map, trace, d));
            // A fix of the faulty line may remove the fault, which no group
            // may do (fix_judge::keep_rule): it is judged alone at once.
            candidate &c = all.back();
            c.wide = c.wide || (before.kind != fault::none && c.own.first == before.fault_line);
        }
    fix_judge judge(text, before, all);
    const std::vector<std::vector<std::size_t>> groups = groups_of(all);
    for (const std::vector<std::size_t> &group : groups)
        judge.judge(group);
    bool judged_whole = groups.size() == 1 && judge.trials() == 1;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].wide) {
            judge.judge({i});
            judged_whole = false;
        }
    std::vector<fix_group> sound;
    std::vector<candidate *> kept;
    for (candidate &c : all)
        if (c.sound) {
            sound.push_back(c.edits);
            kept.push_back(&c);
        }
    // One group made whole and sound: made together, they were judged so.
    const std::vector<bool> together =
        judged_whole && kept.size() == all.size()
            ? std::vector<bool>(kept.size(), true)
            : made_together(text, before, sound, judge.spent(), trial_budget);
    for (std::size_t i = 0; i < kept.size(); ++i)
        kept[i]->sound = together[i];
    for (candidate &c : all)
        if (!c.sound)
            c.found->fixes.clear();
        else
            for (std::size_t i = 0; i < c.edits.size(); ++i)
                c.found->fixes[i].record = c.edits[i].record; // placed
}

} // namespace pexilon::check
