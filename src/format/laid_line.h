// A line of the formatter's result as the layout builds it, and the passes
// over all of them that come after each is laid out alone: the spacing of
// blank lines, the names of a section lined up, continuation lines placed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "format/format_layout.h"
#include "format/format_lines.h"

namespace pexilon::format {

// One line of the result. Most lines are views of the text: only a pair's
// separator and value, and a continuation's value, are written anew.
struct laid_line {
    std::size_t source = 0; // the editor line (0-based) it was laid out from
    line_role role = line_role::kept;
    line_role read_as = line_role::kept; // the role the reading gave, before any line was kept
    bool fixed = false;                  // a fault's line or before it: stays a line of its own
    bool laid = false;      // pair or continuation: name, rest and remark make the text
    std::string_view plain; // otherwise the text, as it stands or trimmed
    std::string_view name;  // pair: the name
    std::size_t name_pad = 0;
    std::string rest;                 // the separator and the value, or the indented continuation
    std::size_t value_at = 0;         // where the value begins in `rest`
    std::size_t own_value_column = 0; // pair: where its value begins in the text
    bool under_value = false;         // continuation: indented to the column of its pair's value
    std::size_t remark_pad = 0;
    std::string_view remark; // pair: the inline comment, written one blank after the value
    std::string_view ending;
    std::string_view blank_before;         // the line end of a blank line put before this one
    std::size_t room = longest_whole_line; // bytes the line and its end may take
    std::string_view fallback;             // the line's own text, trimmed at its end

    std::size_t text_size() const
    {
        if (!laid)
            return plain.size();
        return name.size() + name_pad + rest.size() +
               (remark.empty() ? 0 : remark_pad + 1 + remark.size());
    }
    std::size_t size() const { return text_size() + ending.size(); }

    // Back to the line's own text, trimmed at its end.
    void fall_back()
    {
        laid = false;
        plain = fallback;
        name = {};
        remark = {};
    }

    void write(std::string &out) const
    {
        if (!blank_before.empty())
            out.append(blank_before);
        if (!laid) {
            out.append(plain);
        } else {
            out.append(name).append(name_pad, ' ').append(rest);
            if (!remark.empty())
                out.append(remark_pad + 1, ' ').append(remark);
        }
        out.append(ending);
    }
};

// Blank lines: none at the start or the end, one for a run, and one before
// each header and the comments right above it. Lines before `fixed_until`
// (0-based) stay as they are.
void space_out(std::vector<laid_line> &lines, std::size_t fixed_until,
               std::string_view blank_ending);
// Pads the names of each section's pairs to the longest of them, then the
// values before inline comments so that the comments line up.
void align_pairs(std::vector<laid_line> &lines);
// Continuation lines that the author lined up under the first item of their
// pair's value stay under it, wherever the layout puts the value.
void place_continuations(std::vector<laid_line> &lines);

} // namespace pexilon::format
