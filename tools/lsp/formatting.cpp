#include "formatting.h"

#include <string>
#include <vector>

#include "editor_requests.h"
#include "format/formatter.h"
#include "line_diff.h"
#include "request_positions.h"
#include "text_lines.h"

namespace pexilon_lsp {

namespace {

pexilon::check::format_options options_of(const nlohmann::json &params)
{
    pexilon::check::format_options options;
    const auto given = params.find("options");
    if (given == params.end() || !given->is_object())
        return options;
    const auto align = given->find("pexilon.align");
    if (align != given->end() && align->is_boolean())
        options.align = align->get<bool>();
    const auto digits = given->find("pexilon.hexCase");
    if (digits != given->end() && digits->is_string()) {
        const std::string &value = digits->get_ref<const std::string &>();
        if (value == "lower")
            options.digits = pexilon::check::hex_case::lower;
        else if (value == "keep")
            options.digits = pexilon::check::hex_case::keep;
    }
    return options;
}

struct line_edit {
    std::size_t first = 0; // old lines [first, last) become `text`
    std::size_t last = 0;
    std::string text;
};

// The runs of lines in which `after` differs from `before`.
std::vector<line_edit> line_edits(std::string_view before, std::string_view after)
{
    const std::vector<std::string_view> a = lines_of(before), b = lines_of(after);
    std::vector<line_edit> edits;
    for (const pexilon_tool::change_run &run : line_diff(a, b)) {
        line_edit edit{run.a_begin, run.a_end, {}};
        for (std::size_t j = run.b_begin; j < run.b_end; ++j)
            edit.text.append(b[j]);
        edits.push_back(std::move(edit));
    }
    return edits;
}

// `before` with the edits made.
std::string applied(std::string_view before, const std::vector<line_edit> &edits)
{
    const std::vector<std::string_view> a = lines_of(before);
    std::string out;
    std::size_t next = 0;
    for (const line_edit &edit : edits) {
        for (; next < edit.first; ++next)
            out.append(a[next]);
        out.append(edit.text);
        next = edit.last;
    }
    for (; next < a.size(); ++next)
        out.append(a[next]);
    return out;
}

// The edits as the protocol's TextEdit[]. Their lines are the reader's (a
// lone "\r" does not end one); each reader line is replaced whole, from its
// start to the start of the line after it (past the end, the end of the
// text), found as offsets and turned into protocol positions in one pass.
nlohmann::json edits_json(const text_lines &lines, const std::vector<line_edit> &edits)
{
    std::vector<std::size_t> offsets;
    offsets.reserve(2 * edits.size());
    for (const line_edit &edit : edits) {
        offsets.push_back(lines.reader_line_start(edit.first));
        offsets.push_back(lines.reader_line_start(edit.last));
    }
    const std::vector<position> at = lines.positions_of(offsets);
    nlohmann::json out = nlohmann::json::array();
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const position start = at[2 * i];
        const position end = at[2 * i + 1];
        out.push_back({{"range", range_json(start.line, start.character, end.line, end.character)},
                       {"newText", edits[i].text}});
    }
    return out;
}

} // namespace

nlohmann::json format_edits(std::string_view text, const nlohmann::json &params)
{
    const pexilon::check::format_result result =
        pexilon::check::format_text(text, options_of(params));
    if (!result.formatted)
        throw format_refused(
            "not formatted: " +
            (result.line != 0 ? "line " + std::to_string(result.line) + ": " : std::string()) +
            result.reason);
    std::vector<line_edit> edits = line_edits(text, result.text);
    const text_lines lines(text);
    const auto range = params.find("range");
    if (range != params.end()) {
        const reader_span asked = reader_lines_of(lines, range_in(*range));
        std::erase_if(edits, [&](const line_edit &edit) {
            // An insertion touches the line it stands before.
            const std::size_t end = edit.last == edit.first ? edit.first + 1 : edit.last;
            return end <= asked.first || edit.first > asked.last;
        });
        // The part is held to the guarantee as the whole was.
        const pexilon::check::format_result part =
            pexilon::check::compare_readings(pexilon::check::read_for_format(text),
                                             pexilon::check::read_for_format(applied(text, edits)));
        if (!part.formatted)
            throw format_refused("not formatted in part: " + part.reason);
    }
    return edits_json(lines, edits);
}

} // namespace pexilon_lsp
