#include "format/format_hand_columns.h"

#include <algorithm>
#include <set>

#include "format/pair_runs.h"

namespace pexilon::format {

namespace {

constexpr std::size_t none = 0;

struct pair_columns {
    std::size_t line = 0;       // index into reading.lines
    bool colon = false;         // its separator is ":"
    std::size_t name_width = 0; // the name's bytes, from the line's start
    std::size_t separator = 0;  // column of "=" or ":"
    std::size_t value_end = 0;  // column past the value
    std::size_t remark = none;  // column of the inline comment
};

pair_columns columns_of(std::string_view text, const read_line &line, std::size_t index)
{
    pair_columns out;
    out.line = index;
    out.name_width = line.name_end - line.name_begin;
    std::size_t at = line.name_end;
    while (at < line.content_end && is_white_byte(text[at]))
        ++at;
    out.separator = at - line.begin;
    out.colon = at < line.content_end && text[at] == ':';
    out.value_end = line.value_end - line.begin;
    at = line.value_end;
    while (at < line.content_end && is_white_byte(text[at]))
        ++at;
    if (at < line.content_end)
        out.remark = at - line.begin;
    return out;
}

// The "=" column the section's pairs share, or none.
std::size_t shared_separator(const std::vector<pair_columns> &pairs)
{
    if (pairs.size() < 2)
        return none;
    bool padded = false;
    for (const pair_columns &p : pairs) {
        if (p.name_width == 0 || p.separator != pairs.front().separator ||
            p.separator < p.name_width + 1)
            return none;
        padded = padded || p.separator > p.name_width + 1;
    }
    return padded ? pairs.front().separator : none;
}

// The column of the section's inline comments when they share one past
// more than one blank of padding; `lone` is set for a single one.
std::size_t shared_remark(const std::vector<pair_columns> &pairs, bool &lone)
{
    std::size_t column = none;
    std::size_t count = 0;
    bool padded = false;
    for (const pair_columns &p : pairs) {
        if (p.remark == none)
            continue;
        if (column != none && p.remark != column)
            return none;
        column = p.remark;
        ++count;
        padded = padded || p.remark > p.value_end + 1;
    }
    lone = count == 1;
    return padded ? column : none;
}

std::vector<std::vector<pair_columns>> sections_of(std::string_view text,
                                                   const text_reading &reading)
{
    std::vector<std::vector<pair_columns>> sections(1);
    for (std::size_t i = 0; i < reading.lines.size(); ++i) {
        const read_line &line = reading.lines[i];
        if (line.role == line_role::header)
            sections.emplace_back();
        else if (line.role == line_role::pair)
            sections.back().push_back(columns_of(text, line, i));
    }
    return sections;
}

// True when the pairs (two or more) all use ":".
bool all_colons(const std::vector<pair_columns> &pairs)
{
    return pairs.size() >= 2 &&
           std::all_of(pairs.begin(), pairs.end(), [](const pair_columns &p) { return p.colon; });
}

// The ":" a section, or the whole file, uses for every pair stays.
void keep_colons(const std::vector<std::vector<pair_columns>> &sections,
                 std::vector<hand_columns> &kept)
{
    std::size_t pairs = 0;
    bool every = true;
    for (const auto &section : sections) {
        pairs += section.size();
        every = every && std::all_of(section.begin(), section.end(),
                                     [](const pair_columns &p) { return p.colon; });
    }
    const bool file = pairs >= 2 && every;
    for (const auto &section : sections)
        if (file || all_colons(section))
            for (const pair_columns &p : section)
                kept[p.line].colon = true;
}

constexpr std::size_t no_column = static_cast<std::size_t>(-1);

// The column where a pair's value begins, or no_column when it has none or
// a tab before it (whose width the layout cannot know).
std::size_t value_column(std::string_view text, const read_line &line)
{
    if (line.value_end <= line.value_begin)
        return no_column;
    const std::string_view before = text.substr(line.begin, line.value_begin - line.begin);
    return before.find('\t') == std::string_view::npos ? before.size() : no_column;
}

// The blanks before a continuation's text, or no_column for other white space.
std::size_t indent_column(std::string_view text, const read_line &line)
{
    const std::string_view before = text.substr(line.begin, line.value_begin - line.begin);
    return before.find_first_not_of(' ') == std::string_view::npos ? before.size() : no_column;
}

// Continuation lines that all stand under the first item of the value they
// continue stay under it. A line kept as written is left out: its bytes
// stay, while the pair's value may move.
void keep_continuation_columns(std::string_view text, const text_reading &reading,
                               const std::vector<bool> &as_written, std::vector<hand_columns> &kept)
{
    std::size_t column = no_column; // of the pair being continued
    bool owned = false;             // a pair is being continued
    bool under = true;
    std::vector<std::size_t> laid; // its continuation lines that the layout indents
    walk_pair_runs(
        reading.lines.size(), [&](std::size_t i) { return reading.lines[i].role; },
        [&](std::size_t i) {
            owned = true;
            column = value_column(text, reading.lines[i]);
        },
        [&](std::size_t i) {
            if (!owned || (i < as_written.size() && as_written[i]))
                return;
            laid.push_back(i);
            under = under && column != no_column && indent_column(text, reading.lines[i]) == column;
        },
        [&] {
            if (owned && under)
                for (const std::size_t i : laid)
                    kept[i].under_value = true;
            laid.clear();
            under = true;
            owned = false;
        });
}

} // namespace

std::vector<hand_columns> kept_hand_columns(std::string_view text, const text_reading &reading,
                                            const std::vector<bool> &as_written)
{
    std::vector<hand_columns> kept(reading.lines.size());
    const auto sections = sections_of(text, reading);
    std::set<std::size_t> aligned_remarks;
    std::vector<std::size_t> lone_remarks(sections.size(), none);
    for (std::size_t s = 0; s < sections.size(); ++s) {
        const std::size_t separator = shared_separator(sections[s]);
        bool lone = false;
        const std::size_t remark = shared_remark(sections[s], lone);
        if (lone)
            lone_remarks[s] = remark;
        else if (remark != none)
            aligned_remarks.insert(remark);
        for (const pair_columns &p : sections[s]) {
            kept[p.line].separator = separator;
            kept[p.line].remark = lone || p.remark == none ? none : remark;
        }
    }
    for (std::size_t s = 0; s < sections.size(); ++s)
        if (lone_remarks[s] != none && aligned_remarks.count(lone_remarks[s]) > 0)
            for (const pair_columns &p : sections[s])
                if (p.remark != none)
                    kept[p.line].remark = lone_remarks[s];
    keep_colons(sections, kept);
    keep_continuation_columns(text, reading, as_written, kept);
    return kept;
}

} // namespace pexilon::format
