#include "format/format_hand_columns.h"

#include <algorithm>
#include <set>

namespace pexilon::check {

namespace {

constexpr std::size_t none = 0;

struct pair_columns {
    std::size_t line = 0;       // index into reading.lines
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

} // namespace

std::vector<hand_columns> kept_hand_columns(std::string_view text, const text_reading &reading)
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
    return kept;
}

} // namespace pexilon::check
