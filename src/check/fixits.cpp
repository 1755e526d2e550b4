#include "check/fixits.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "check/suggestions.h"
#include "config/code_tables.h"
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

} // namespace

record_change key_change(const key_row &key, std::uint32_t section, bool added)
{
    record_change out;
    if (key.target == key_target::entry) {
        out.params = added ? entry_change::added : entry_change::values;
        out.type = section | key.code;
        return out;
    }
    const std::uint32_t bits = field_bits(key.member, key.form == value_form::pair ? 2 : 1);
    (key.target == key_target::camera ? out.camera : out.control) = bits;
    return out;
}

std::vector<fix_it> rename_fix(place where, std::string_view written,
                               const std::vector<std::string> &candidates,
                               const std::string &change_prefix)
{
    const std::vector<std::string> near = nearest_names(written, candidates);
    if (near.size() != 1 || near.front() == written)
        return {};
    return {{where, near.front(), change_prefix + near.front()}};
}

std::vector<fix_it> section_fix(place where, std::string_view section,
                                const std::vector<std::string> &known)
{
    std::vector<fix_it> fixes = rename_fix(where, section, known, "");
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
    fixes[0].record = {section_lines(fixes[0].replacement)};
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

fix_it unindent_fix(std::size_t line, std::size_t indent, const key_row &continued,
                    const key_row *own, std::uint32_t section)
{
    fix_it out{{line, false, {0, indent}},
               "",
               "the line is read as one of its own; " + std::string(continued.name) +
                   " keeps the value of the line above",
               {key_change(continued, section, false)}};
    // A list's continuation made an entry of the key it continues; read as a
    // line of its own, that entry is one of its own key instead.
    if (own != nullptr && continued.target == key_target::entry &&
        own->target == key_target::entry) {
        out.record[0].params = entry_change::replaced;
        out.record[0].type = section | own->code;
    } else if (own != nullptr)
        out.record.push_back(key_change(*own, section, true));
    return out;
}

const key_row *own_key(std::uint32_t section, std::string_view pair)
{
    const std::size_t start = pair.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return nullptr;
    pair.remove_prefix(start);
    const std::string_view name = pair.substr(0, pair.find_first_of(" \t=:"));
    return section == section_camera    ? lookup_row(camera_keys, name)
           : section == section_control ? lookup_row(control_keys, name)
                                        : lookup_row(param_keys, name);
}

record_change section_lines(std::string_view section)
{
    record_change out;
    const code_row *row = lookup_row(section_codes, section);
    if (row == nullptr)
        return out;
    if (row->code == section_camera)
        out.camera = field_bits(0, static_cast<int>(std::size(camera_members)));
    else if (row->code == section_control)
        out.control_added = true;
    else {
        out.params = entry_change::section;
        out.type = row->code;
    }
    return out;
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
            const place &at = f.where;
            if (at.line == 0 || at.line > starts.size() || at.column == 0 ||
                at.end_column < at.column ||
                starts[at.line - 1] + at.end_column - 1 > text.size()) {
                edits.clear();
                break;
            }
            edits.push_back(
                {starts[at.line - 1] + at.column - 1, starts[at.line - 1] + at.end_column - 1, &f});
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

std::string round_words(const made_fix &fix)
{
    const diagnostic_kind *kind = find_kind(fix.name);
    const bool error = kind != nullptr && kind->severity == PEXILON_CHECK_ERROR;
    return "round " + std::to_string(fix.round) + ": " + (error ? "" : "-W") +
           std::string(fix.name) + ": " + fix.change;
}

} // namespace pexilon::check
