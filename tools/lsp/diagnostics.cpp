// The checker's diagnostics as the protocol's: 0-based lines, UTF-16 columns.
#include "check_source.h"
#include "editor_requests.h"

namespace pexilon_lsp {

namespace {

int protocol_severity(severity level)
{
    switch (level) {
    case severity::error:
        return 1;
    case severity::warning:
        return 2;
    case severity::note:
        break;
    }
    return 3; // information
}

// A place of the checker: line 0 is the text as a whole (shown on the first
// line), column 0 the whole line.
nlohmann::json place_range(const text_lines &lines, const text_place &place)
{
    const std::size_t line = place.line > 0 ? place.line - 1 : 0;
    if (place.line == 0 || place.column == 0)
        return line_range(lines, line);
    const std::size_t start = lines.utf16_column(line, place.column - 1);
    std::size_t end =
        place.end_column > place.column ? lines.utf16_column(line, place.end_column - 1) : start;
    return range_json(line, start, line, end);
}

nlohmann::json diagnostic_json(const std::string &uri, const text_lines &lines,
                               const found_diagnostic &found)
{
    std::string message = found.message;
    if (!found.hint.empty())
        message += "\n" + found.hint;
    nlohmann::json diagnostic = {
        {"range", place_range(lines, found.place)},
        {"severity", protocol_severity(found.level)},
        {"code", found.name},
        {"source", "pexilon"},
        {"message", message},
    };
    if (!found.notes.empty()) {
        nlohmann::json related = nlohmann::json::array();
        for (const found_note &note : found.notes)
            related.push_back(
                {{"location", {{"uri", uri}, {"range", place_range(lines, note.place)}}},
                 {"message", note.message}});
        diagnostic["relatedInformation"] = std::move(related);
    }
    return diagnostic;
}

bool wanted(const nlohmann::json &params, std::string_view kind)
{
    const nlohmann::json *only = nullptr;
    if (params.contains("context") && params.at("context").contains("only"))
        only = &params.at("context").at("only");
    if (only == nullptr)
        return true;
    for (const nlohmann::json &asked : *only) {
        const std::string &prefix = asked.get_ref<const std::string &>();
        if (kind.substr(0, prefix.size()) == prefix &&
            (kind.size() == prefix.size() || kind[prefix.size()] == '.'))
            return true;
    }
    return false;
}

nlohmann::json fix_edit(const text_lines &lines, const found_fix &fix)
{
    return {{"range", place_range(lines, fix.place)}, {"newText", fix.replacement}};
}

} // namespace

nlohmann::json code_actions(const std::string &uri, std::string_view text,
                            const nlohmann::json &params)
{
    const text_lines lines(text);
    const nlohmann::json &range = params.at("range");
    const std::size_t first = range.at("start").at("line").get<std::size_t>() + 1;
    const std::size_t last = range.at("end").at("line").get<std::size_t>() + 1;
    nlohmann::json actions = nlohmann::json::array();
    std::size_t fixable = 0;
    for (const found_diagnostic &found : check_document(text)) {
        if (found.fixes.empty())
            continue;
        ++fixable;
        if (found.place.line < first || found.place.line > last || !wanted(params, "quickfix"))
            continue;
        nlohmann::json edits = nlohmann::json::array();
        for (const found_fix &fix : found.fixes)
            edits.push_back(fix_edit(lines, fix));
        const found_fix &fix = found.fixes.front();
        const std::string title =
            fix.replacement.empty()
                ? "Remove '" +
                      std::string(lines.line(fix.place.line - 1)
                                      .substr(fix.place.column - 1,
                                              fix.place.end_column - fix.place.column)) +
                      "'"
                : "Change to '" + fix.replacement + "'";
        actions.push_back(
            {{"title", title + " (" + fix.change + ")"},
             {"kind", "quickfix"},
             {"diagnostics", nlohmann::json::array({diagnostic_json(uri, lines, found)})},
             {"isPreferred", found.name == "unknown-key" || found.name == "unknown-section"},
             {"edit", {{"changes", {{uri, edits}}}}}});
    }
    if (fixable != 0 && wanted(params, "source.fixAll.pexilon")) {
        std::size_t made = 0;
        const std::string fixed = fixed_document(text, made);
        if (made != 0) {
            const std::size_t end = lines.count() - 1;
            const nlohmann::json whole =
                range_json(0, 0, end, lines.utf16_column(end, lines.line(end).size()));
            actions.push_back(
                {{"title", "Make every fix-it (" + std::to_string(made) + ")"},
                 {"kind", "source.fixAll.pexilon"},
                 {"edit", {{"changes", {{uri, {{{"range", whole}, {"newText", fixed}}}}}}}}});
        }
    }
    return actions;
}

nlohmann::json diagnostics(const std::string &uri, std::string_view text)
{
    const text_lines lines(text);
    nlohmann::json list = nlohmann::json::array();
    for (const found_diagnostic &found : check_document(text))
        list.push_back(diagnostic_json(uri, lines, found));
    return {{"uri", uri}, {"diagnostics", std::move(list)}};
}

} // namespace pexilon_lsp
