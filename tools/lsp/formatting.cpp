#include "formatting.h"

#include <charconv>
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
    for (const pexilon::tool::change_run &run : line_diff(a, b)) {
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

// An edit placed in the protocol's lines: its range and its new text.
struct placed_edit {
    position start;
    position end;
    std::string text;
};

// The edits placed. Their lines are the reader's (a lone "\r" does not end
// one); each reader line is replaced whole, from its start to the start of
// the line after it (past the end, the end of the text), found as offsets
// and turned into protocol positions in one pass.
std::vector<placed_edit> placed(const text_lines &lines, std::vector<line_edit> edits)
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
        out.push_back({at[2 * i], at[2 * i + 1], std::move(edits[i].text)});
    return out;
}

// The edits that lay `text` out, placed.
std::vector<placed_edit> format_placed(std::string_view text, const nlohmann::json &params)
{
    const pexilon::format::format_result result =
        pexilon::format::format_text(text, options_of(params));
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
        const pexilon::format::format_result part = pexilon::format::compare_readings(
            pexilon::format::read_for_format(text),
            pexilon::format::read_for_format(applied(text, edits)));
        if (!part.formatted)
            throw format_refused("not formatted in part: " + part.reason);
    }
    return placed(lines, std::move(edits));
}

// Writes `value` as JSON writes a number.
void append_number(std::string &out, std::size_t value)
{
    char digits[24];
    const auto done = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, done.ptr);
}

void append_position(std::string &out, const position &at)
{
    out += R"({"character":)";
    append_number(out, at.character);
    out += R"(,"line":)";
    append_number(out, at.line);
    out += '}';
}

} // namespace

nlohmann::json format_edits(std::string_view text, const nlohmann::json &params)
{
    nlohmann::json out = nlohmann::json::array();
    for (placed_edit &edit : format_placed(text, params))
        out.push_back({{"range", range_json(edit.start.line, edit.start.character, edit.end.line,
                                            edit.end.character)},
                       {"newText", std::move(edit.text)}});
    return out;
}

std::string format_edits_text(std::string_view text, const nlohmann::json &params)
{
    std::vector<placed_edit> edits = format_placed(text, params);
    std::size_t size = 2;
    for (const placed_edit &edit : edits)
        size += edit.text.size() + 100;
    std::string out;
    out.reserve(size);
    // The keys in the order nlohmann::json keeps them (sorted), the texts
    // escaped by its own serializer, so that the bytes are those that
    // format_edits(...).dump() writes.
    using serializer = nlohmann::detail::serializer<nlohmann::json>;
    serializer escaped(nlohmann::detail::output_adapter<char>(out), ' ',
                       nlohmann::json::error_handler_t::replace);
    out += '[';
    for (placed_edit &edit : edits) {
        out += (&edit == edits.data() ? R"({"newText":)" : R"(,{"newText":)");
        escaped.dump(nlohmann::json(std::move(edit.text)), false, false, 0);
        out += R"(,"range":{"end":)";
        append_position(out, edit.end);
        out += R"(,"start":)";
        append_position(out, edit.start);
        out += "}}";
    }
    out += ']';
    return out;
}

} // namespace pexilon::lsp
