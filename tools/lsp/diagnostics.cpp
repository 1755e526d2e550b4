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

} // namespace

nlohmann::json diagnostics(const std::string &uri, std::string_view text)
{
    const text_lines lines(text);
    nlohmann::json list = nlohmann::json::array();
    for (const found_diagnostic &found : check_document(text))
        list.push_back(diagnostic_json(uri, lines, found));
    return {{"uri", uri}, {"diagnostics", std::move(list)}};
}

} // namespace pexilon_lsp
