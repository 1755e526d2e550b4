#include "check/fixits.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "check/suggestions.h"
#include "config/section_names.h"

namespace pexilon::check {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A number as the reader reads it whole: a sign, then decimal digits or
// 0x and hexadecimal digits.
bool whole_number(std::string_view text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return std::all_of(text.begin() + 2, text.end(),
                           [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    return !text.empty() && std::all_of(text.begin(), text.end(), is_digit);
}

bool is_space(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string_view> groups_of(std::string_view section)
{
    std::vector<std::string_view> out;
    for (std::size_t at = section.find(section_group_joint); at != std::string_view::npos;
         at = section.find(section_group_joint)) {
        out.push_back(section.substr(0, at));
        section.remove_prefix(at + section_group_joint.size());
    }
    out.push_back(section);
    return out;
}

// Diagnostics by name: how many, and whether the name is an error's.
using tally = std::map<std::string, std::size_t, std::less<>>;

tally tally_of(std::string_view text, std::vector<diagnostic> *found)
{
    tally out;
    check_text(text, [&](const diagnostic &d) {
        ++out[std::string(d.name)];
        if (found != nullptr)
            found->push_back(d);
        return true;
    });
    return out;
}

// True when `after` has no kind that `before` has not, and no more errors.
bool no_worse(const tally &before, const tally &after)
{
    for (const auto &[name, count] : after) {
        const auto was = before.find(name);
        if (was == before.end())
            return false;
        const diagnostic_kind *kind = find_kind(name);
        if ((kind == nullptr || kind->severity == PEXILON_CHECK_ERROR) && count > was->second)
            return false;
    }
    return true;
}

} // namespace

std::vector<raw_fix> rename_fix(place where, std::string_view written,
                                const std::vector<std::string> &candidates,
                                const std::string &change_prefix)
{
    const std::vector<std::string> near = nearest_names(written, candidates);
    if (near.size() != 1 || near.front() == written)
        return {};
    return {{where, near.front(), change_prefix + near.front()}};
}

std::vector<raw_fix> section_fix(place where, std::string_view section,
                                 const std::vector<std::string> &known)
{
    std::vector<raw_fix> fixes = rename_fix(where, section, known, "");
    if (fixes.empty())
        return fixes;
    // Certain only when one group of the header is misspelt: "[board
    // paramter][dev3]" is not surely "[board parameter][dev2]".
    const std::vector<std::string_view> mine = groups_of(section);
    const std::vector<std::string_view> theirs = groups_of(fixes[0].replacement);
    std::size_t differ = 0;
    for (std::size_t i = 0; i < mine.size() && i < theirs.size(); ++i)
        differ += mine[i] != theirs[i] ? 1 : 0;
    if (mine.size() != theirs.size() || differ != 1)
        return {};
    const std::string header = header_text(fixes[0].replacement);
    fixes[0].replacement = header.substr(1, header.size() - 2);
    fixes[0].change = "its lines are read into " + header;
    return fixes;
}

bool is_unit_suffix(std::string_view copy, std::size_t taken)
{
    if (taken == 0 || taken >= copy.size())
        return false;
    // "5ms", and not "1 two": a word after a space may be meant otherwise.
    const std::string_view number = copy.substr(0, taken);
    const std::string_view unit = copy.substr(taken);
    // After 0x1F, "ms" might be meant as more digits; after 12, "G4" might
    // be a mistyped hexadecimal number: only plain decimal and letters.
    const bool decimal = std::all_of(number.begin() + (number[0] == '-' || number[0] == '+'),
                                     number.end(), is_digit);
    const bool letters =
        !unit.empty() && unit.size() <= 4 && std::all_of(unit.begin(), unit.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) != 0;
        });
    return decimal && letters && number.size() > (number[0] == '-' || number[0] == '+');
}

std::string with_commas(std::string_view item, std::size_t &count)
{
    count = 0;
    std::string out;
    std::size_t i = 0;
    while (i < item.size()) {
        while (i < item.size() && is_space(item[i]))
            ++i;
        const std::size_t start = i;
        while (i < item.size() && !is_space(item[i]))
            ++i;
        if (start == i)
            break;
        const std::string_view word = item.substr(start, i - start);
        if (!whole_number(word))
            return {};
        out += (count++ == 0 ? "" : ", ");
        out += word;
    }
    return count >= 2 ? out : std::string();
}

raw_fix unindent_fix(std::size_t line, std::size_t indent, std::string_view continued)
{
    return {{line, false, {0, indent}},
            "",
            "the line is read as one of its own; " + std::string(continued) +
                " keeps the value of the line above"};
}

namespace {

// One edit of a fix, as a byte range of the text it applies to.
struct edit {
    std::size_t begin;
    std::size_t end;
    const fix_it *fix;
};

// The edits taken, by where they begin; no two of them clash.
using taken_edits = std::map<std::size_t, edit>;

// Each group's edits as byte ranges of `text`; a group with an edit that
// is not in the text is left out.
std::vector<std::vector<edit>> placed_edits(std::string_view text,
                                            const std::vector<fix_group> &groups)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts.push_back(i + 1);
    std::vector<std::vector<edit>> placed;
    for (const fix_group &group : groups) {
        std::vector<edit> edits;
        for (const fix_it &f : group) {
            if (f.line == 0 || f.line > starts.size() || f.column == 0 || f.end_column < f.column ||
                starts[f.line - 1] + f.end_column - 1 > text.size()) {
                edits.clear();
                break;
            }
            edits.push_back(
                {starts[f.line - 1] + f.column - 1, starts[f.line - 1] + f.end_column - 1, &f});
        }
        std::sort(edits.begin(), edits.end(), [](const edit &a, const edit &b) {
            return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
        });
        placed.push_back(std::move(edits));
    }
    return placed;
}

// Takes the groups whose edits clash neither with each other nor with those
// taken before, from the one that begins first; returns how many it took,
// and marks them in `which` when it is given.
std::size_t take_clear_groups(const std::vector<std::vector<edit>> &placed, taken_edits &taken,
                              std::vector<bool> *which)
{
    if (which != nullptr)
        which->assign(placed.size(), false);
    std::vector<std::size_t> order(placed.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (placed[a].empty() || placed[b].empty())
            return !placed[a].empty() && placed[b].empty();
        return placed[a].front().begin < placed[b].front().begin;
    });
    const auto clashes = [](const edit &a, const edit &b) {
        return a.begin == b.begin || (a.begin < b.end && b.begin < a.end);
    };
    const auto clashes_with_taken = [&](const edit &e) {
        const auto next = taken.lower_bound(e.begin);
        if (next != taken.end() && clashes(e, next->second))
            return true;
        return next != taken.begin() && clashes(e, std::prev(next)->second);
    };
    std::size_t count = 0;
    for (const std::size_t g : order) {
        const std::vector<edit> &edits = placed[g];
        if (edits.empty())
            continue;
        bool clear = true;
        for (std::size_t i = 0; i < edits.size() && clear; ++i)
            clear = !clashes_with_taken(edits[i]) && (i == 0 || !clashes(edits[i - 1], edits[i]));
        if (!clear)
            continue;
        for (const edit &e : edits)
            taken.emplace(e.begin, e);
        if (which != nullptr)
            (*which)[g] = true;
        ++count;
    }
    return count;
}

std::string with_edits(std::string_view text, const taken_edits &taken)
{
    std::string out;
    std::size_t done = 0; // bytes of `text` copied or replaced so far
    for (const auto &[begin, e] : taken) {
        out.append(text.substr(done, begin - done));
        out += e.fix->replacement;
        done = e.end;
    }
    out.append(text.substr(done));
    return out;
}

} // namespace

std::string apply_fixes(std::string_view text, const std::vector<fix_group> &groups,
                        std::size_t *made, std::vector<bool> *which)
{
    taken_edits taken;
    const std::size_t count = take_clear_groups(placed_edits(text, groups), taken, which);
    if (made != nullptr)
        *made = count;
    return with_edits(text, taken);
}

std::string fix_all(std::string_view text, const std::function<bool(std::string_view)> &wanted,
                    std::size_t &made, std::vector<made_fix> *each)
{
    constexpr int rounds = 4;
    made = 0;
    std::string now(text);
    const tally first = tally_of(now, nullptr);
    for (int round = 1; round <= rounds; ++round) {
        std::vector<diagnostic> found;
        tally_of(now, &found);
        std::vector<fix_group> fixes;
        std::vector<const diagnostic *> owners; // the diagnostic of each group
        for (const diagnostic &d : found)
            if (!d.fixes.empty() && wanted(d.name)) {
                fixes.push_back(d.fixes);
                owners.push_back(&d);
            }
        if (fixes.empty())
            break;
        std::vector<bool> taken;
        std::size_t count = 0;
        std::string next = apply_fixes(now, fixes, &count, &taken);
        // Trying each alone reads the text once per fix: only for the few.
        constexpr std::size_t budget = std::size_t{32} << 20;
        if (!no_worse(first, tally_of(next, nullptr)) && fixes.size() > budget / (now.size() + 1)) {
            break;
        }
        if (!no_worse(first, tally_of(next, nullptr))) {
            // One diagnostic's edits at a time, from the last, so that
            // earlier places stay put.
            count = 0;
            next = now;
            taken.assign(fixes.size(), false);
            for (std::size_t f = fixes.size(); f-- > 0;) {
                std::string trial = apply_fixes(next, {fixes[f]});
                if (no_worse(first, tally_of(trial, nullptr))) {
                    next = std::move(trial);
                    taken[f] = true;
                    ++count;
                }
            }
        }
        if (count == 0 || next == now)
            break;
        made += count;
        if (each != nullptr)
            for (std::size_t f = 0; f < fixes.size(); ++f)
                if (taken[f])
                    each->push_back({static_cast<std::size_t>(round), owners[f]->line,
                                     kind_of(owners[f]->id).name, fixes[f].front().change});
        now = std::move(next);
    }
    return now;
}

std::string round_words(const made_fix &fix)
{
    const diagnostic_kind *kind = find_kind(fix.name);
    const bool error = kind != nullptr && kind->severity == PEXILON_CHECK_ERROR;
    return "round " + std::to_string(fix.round) + ": " + (error ? "" : "-W") +
           std::string(fix.name) + ": " + fix.change;
}

} // namespace pexilon::check
