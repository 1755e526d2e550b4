#include "formatting.h"

#include <string>
#include <vector>

#include "../diff/sequence_diff.h"
#include "editor_requests.h"
#include "format/formatter.h"

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

// The text's lines, each with its "\n".
std::vector<std::string_view> lines_of(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::size_t length = newline == std::string_view::npos ? text.size() : newline + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
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
    for (const pexilon_tool::change_run &run : pexilon_tool::diff_sequences(
             a.size(), b.size(), [&](std::size_t i, std::size_t j) { return a[i] == b[j]; })) {
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

nlohmann::json edit_json(const text_lines &lines, const line_edit &edit)
{
    // Whole lines are replaced: from the start of the first to the start of
    // the line after the last, which past the end is the end of the text.
    const auto at = [&lines](std::size_t line) {
        if (line < lines.count())
            return position_json(line, 0);
        const std::size_t last = lines.count() == 0 ? 0 : lines.count() - 1;
        return position_json(last, lines.utf16_column(last, lines.line(last).size()));
    };
    return {{"range", {{"start", at(edit.first)}, {"end", at(edit.last)}}}, {"newText", edit.text}};
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
    const auto range = params.find("range");
    if (range != params.end()) {
        const std::size_t first = range->at("start").at("line").get<std::size_t>();
        std::size_t last = range->at("end").at("line").get<std::size_t>();
        // A selection of whole lines ends at the start of the line after them.
        if (last > first && range->at("end").at("character").get<std::size_t>() == 0)
            --last;
        std::erase_if(edits, [&](const line_edit &edit) {
            // An insertion touches the line it stands before.
            const std::size_t end = edit.last == edit.first ? edit.first + 1 : edit.last;
            return end <= first || edit.first > last;
        });
        // The part is held to the guarantee as the whole was.
        const pexilon::check::format_result part =
            pexilon::check::compare_readings(pexilon::check::read_for_format(text),
                                             pexilon::check::read_for_format(applied(text, edits)));
        if (!part.formatted)
            throw format_refused("not formatted in part: " + part.reason);
    }
    const text_lines lines(text);
    nlohmann::json out = nlohmann::json::array();
    for (const line_edit &edit : edits)
        out.push_back(edit_json(lines, edit));
    return out;
}

} // namespace pexilon_lsp
