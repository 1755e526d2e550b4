#include "formatting.h"

#include <string>
#include <vector>

#include "editor_requests.h"
#include "format/formatter.h"
#include "line_diff.h"
#include "request_positions.h"
#include "text_lines.h"

namespace pexilon::lsp {

namespace {

pexilon::format::format_options options_of(const nlohmann::json &params)
{
    pexilon::format::format_options options;
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
            options.digits = pexilon::format::hex_case::lower;
        else if (value == "keep")
            options.digits = pexilon::format::hex_case::keep;
    }
    return options;
}

// Old lines [first, last) become the formatted text's bytes [begin, end):
// its lines of the run, which lie one after another there, so no run's text
// is copied out of it.
struct line_edit {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The runs of lines in which `after` differs from `before`.
std::vector<line_edit> line_edits(std::string_view before, std::string_view after)
{
    const std::vector<std::string_view> a = lines_of(before), b = lines_of(after);
    const auto start = [&](std::size_t j) {
        return j < b.size() ? static_cast<std::size_t>(b[j].data() - after.data()) : after.size();
    };
    std::vector<line_edit> edits;
    for (const pexilon::tool::change_run &run : line_diff(a, b))
        edits.push_back({run.a_begin, run.a_end, start(run.b_begin), start(run.b_end)});
    return edits;
}

// The same runs, from where the layout put the text of each line of
// `before` in `after` (line i became [starts[i], starts[i + 1])): no diff to
// find them, a comparison of each line with what it became. A line that
// only got a blank line before it is kept, the blank line an insertion that
// joins the run ending there, as the diff would have it. Without the starts
// (a text kept as it is), by the diff.
std::vector<line_edit> laid_edits(std::string_view before, std::string_view after,
                                  const std::vector<std::size_t> &starts)
{
    const std::vector<std::string_view> a = lines_of(before);
    if (starts.size() != a.size())
        return line_edits(before, after);
    std::vector<line_edit> edits;
    const auto joins = [&](std::size_t line) {
        return !edits.empty() && edits.back().last == line;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::size_t begin = starts[i];
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : after.size();
        const std::string_view became = after.substr(begin, end - begin);
        if (became == a[i])
            continue;
        const bool kept = became.size() > a[i].size() && became.ends_with(a[i]);
        const std::size_t until = kept ? end - a[i].size() : end;
        if (joins(i))
            edits.back().end = until;
        else
            edits.push_back({i, i, begin, until});
        if (!kept)
            edits.back().last = i + 1;
    }
    return edits;
}

// `before` with the edits, whose texts are taken from `after`, made.
std::string applied(std::string_view before, std::string_view after,
                    const std::vector<line_edit> &edits)
{
    const std::vector<std::string_view> a = lines_of(before);
    std::string out;
    std::size_t next = 0;
    for (const line_edit &edit : edits) {
        for (; next < edit.first; ++next)
            out.append(a[next]);
        out.append(after.substr(edit.begin, edit.end - edit.begin));
        next = edit.last;
    }
    for (; next < a.size(); ++next)
        out.append(a[next]);
    return out;
}

using placed_edit = format_reply::edit;

// The edits placed. Their lines are the reader's (a lone "\r" does not end
// one); each reader line is replaced whole, from its start to the start of
// the line after it (past the end, the end of the text), found as offsets
// and turned into protocol positions in one pass.
std::vector<placed_edit> placed(const text_lines &lines, std::string_view after,
                                const std::vector<line_edit> &edits)
{
    std::vector<std::size_t> offsets;
    offsets.reserve(2 * edits.size());
    for (const line_edit &edit : edits) {
        offsets.push_back(lines.reader_line_start(edit.first));
        offsets.push_back(lines.reader_line_start(edit.last));
    }
    const std::vector<position> at = lines.positions_of(offsets);
    std::vector<placed_edit> out;
    out.reserve(edits.size());
    for (std::size_t i = 0; i < edits.size(); ++i)
        out.push_back({at[2 * i], at[2 * i + 1],
                       after.substr(edits[i].begin, edits[i].end - edits[i].begin)});
    return out;
}

// The edits that lay `text` out, placed; their texts lie in `formatted`,
// which is given the formatted text.
std::vector<placed_edit> format_placed(std::string_view text, const nlohmann::json &params,
                                       std::string &formatted)
{
    pexilon::format::format_result result =
        pexilon::format::format_text(text, options_of(params), true);
    if (!result.formatted)
        throw format_refused(
            "not formatted: " +
            (result.line != 0 ? "line " + std::to_string(result.line) + ": " : std::string()) +
            result.reason);
    formatted = std::move(result.text);
    std::vector<line_edit> edits = laid_edits(text, formatted, result.line_starts);
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
        const pexilon::format::format_result part = pexilon::format::compare_readings(
            pexilon::format::read_for_format(text),
            pexilon::format::read_for_format(applied(text, formatted, edits)));
        if (!part.formatted)
            throw format_refused("not formatted in part: " + part.reason);
    }
    return placed(lines, formatted, edits);
}

} // namespace

nlohmann::json format_edits(std::string_view text, const nlohmann::json &params)
{
    std::string formatted;
    nlohmann::json out = nlohmann::json::array();
    for (const placed_edit &edit : format_placed(text, params, formatted))
        out.push_back({{"range", range_json(edit.start.line, edit.start.character, edit.end.line,
                                            edit.end.character)},
                       {"newText", std::string(edit.text)}});
    return out;
}

format_reply::format_reply(std::string_view text, const nlohmann::json &params)
    : edits_(format_placed(text, params, formatted_))
{
    measure();
}

} // namespace pexilon::lsp
