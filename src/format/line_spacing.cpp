#include "format/laid_line.h"

#include <algorithm>

#include "format/pair_runs.h"

namespace pexilon::format {

namespace {

// Indents the continuation lines `under` of `pair` to the column its value
// has now. All or none: a line that cannot move with the others (one left
// as it was, one the column would make too long) keeps them all at
// continuation_indent, so that a second run decides alike.
void place_under(const laid_line &pair, const std::vector<laid_line *> &under)
{
    const std::size_t column =
        pair.laid ? pair.name.size() + pair.name_pad + pair.value_at : pair.own_value_column;
    for (const laid_line *line : under)
        if (!line->laid || line->size() - line->value_at + column > line->room)
            return;
    for (laid_line *line : under) {
        line->rest.replace(0, line->value_at, column, ' ');
        line->value_at = column;
    }
}

} // namespace

// Continuation lines that the author lined up under the first item of their
// pair's value stay under it, wherever the layout puts the value.
void place_continuations(std::vector<laid_line> &lines)
{
    const laid_line *pair = nullptr;
    std::vector<laid_line *> under;
    walk_pair_runs(
        lines.size(), [&](std::size_t i) { return lines[i].read_as; },
        [&](std::size_t i) { pair = &lines[i]; },
        [&](std::size_t i) {
            if (lines[i].under_value)
                under.push_back(&lines[i]);
        },
        [&] {
            if (pair != nullptr && !under.empty())
                place_under(*pair, under);
            under.clear();
            pair = nullptr;
        });
}

// Blank lines: none at the start or the end, one for a run, and one before
// each header and the comments right above it. Lines before `fixed_until`
// (0-based) stay as they are.
void space_out(std::vector<laid_line> &lines, std::size_t fixed_until,
               std::string_view blank_ending)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        laid_line &line = lines[i];
        line.fixed = i < fixed_until;
        if (line.role == line_role::blank && !line.fixed &&
            (kept == 0 || lines[kept - 1].role == line_role::blank))
            continue;
        if (line.role == line_role::header && !line.fixed) {
            std::size_t first = kept;
            while (first > 0 && lines[first - 1].role == line_role::comment &&
                   !lines[first - 1].fixed)
                --first;
            laid_line &above = first == kept ? line : lines[first];
            if (first > 0 && lines[first - 1].role != line_role::blank)
                above.blank_before = line.ending.empty() ? blank_ending : line.ending;
        }
        if (kept != i)
            lines[kept] = std::move(line);
        ++kept;
    }
    while (kept > 0 && lines[kept - 1].role == line_role::blank && !lines[kept - 1].fixed)
        --kept;
    lines.resize(kept);
}

// Pads the names of each section's pairs to the longest of them, then the
// values before inline comments so that the comments line up.
void align_pairs(std::vector<laid_line> &lines)
{
    const auto is_pair = [](const laid_line &line) {
        return line.role == line_role::pair && line.laid;
    };
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t stop = start + 1;
        while (stop < lines.size() && lines[stop].role != line_role::header)
            ++stop;
        std::size_t width = 0;
        for (std::size_t i = start; i < stop; ++i)
            if (is_pair(lines[i]) && !lines[i].name.empty())
                width = std::max(width, lines[i].name.size());
        for (std::size_t i = start; i < stop; ++i) {
            laid_line &line = lines[i];
            if (!is_pair(line) || line.name.empty())
                continue;
            const std::size_t pad = width - line.name.size();
            if (line.size() + pad <= line.room)
                line.name_pad = pad;
        }
        std::size_t column = 0;
        for (std::size_t i = start; i < stop; ++i)
            if (is_pair(lines[i]) && !lines[i].remark.empty())
                column = std::max(column,
                                  lines[i].name.size() + lines[i].name_pad + lines[i].rest.size());
        for (std::size_t i = start; i < stop; ++i) {
            laid_line &line = lines[i];
            if (!is_pair(line) || line.remark.empty())
                continue;
            const std::size_t pad = column - line.name.size() - line.name_pad - line.rest.size();
            if (line.size() + pad <= line.room)
                line.remark_pad = pad;
        }
        start = stop;
    }
}

} // namespace pexilon::format
