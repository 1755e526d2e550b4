// The checker's diagnostics as the protocol's: 0-based lines, UTF-16 columns.
#include <algorithm>

#include "check/diagnostic_kinds.h"
#include "check_source.h"
#include "editor_requests.h"
#include "reader/byte_order_mark.h"

namespace pexilon::lsp {

namespace {

// A misspelt key or section: its fix is the likely intent, so the editor
// may offer it first.
bool preferred_fix(std::string_view name)
{
    using pexilon::check::diag_id;
    const pexilon::check::diagnostic_kind *kind = pexilon::check::find_kind(name);
    return kind != nullptr &&
           (kind->id == diag_id::unknown_key || kind->id == diag_id::unknown_section);
}

int protocol_severity(pexilon_check_severity level)
{
    switch (level) {
    case PEXILON_CHECK_ERROR:
        return 1;
    case PEXILON_CHECK_WARNING:
        return 2;
    case PEXILON_CHECK_NOTE:
        break;
    }
    return 3; // information
}

// The byte offsets a place of the checker spans: line 0 is the text as a
// whole (shown on the first line), column 0 the whole line.
struct span {
    std::size_t start = 0;
    std::size_t end = 0;
};

span span_of(const text_lines &lines, const place &where)
{
    const std::size_t line = where.line > 0 ? where.line - 1 : 0;
    std::size_t first = lines.reader_line_start(line);
    const std::size_t last = lines.reader_line_end(line);
    if (where.line == 0 || where.column == 0)
        return {first, last};
    // The checker counts the first line's columns after a byte-order mark,
    // which the client may have kept as U+FEFF.
    if (line == 0 &&
        lines.line(0).substr(0, pexilon::byte_order_mark.size()) == pexilon::byte_order_mark)
        first = std::min(first + pexilon::byte_order_mark.size(), last);
    const std::size_t start = std::min(first + where.column - 1, last);
    const std::size_t end =
        where.end_column > where.column ? std::min(first + where.end_column - 1, last) : start;
    return {start, end};
}

// The protocol positions of every offset the diagnostics name, found in one
// pass over each line however many diagnostics a line has.
class position_table {
public:
    position_table(const text_lines &lines, const std::vector<diagnostic> &found,
                   const place *extra)
        : lines_(lines)
    {
        for (const diagnostic &d : found) {
            add(d.where);
            for (const note &note : d.notes)
                add(note.where);
            for (const fix_it &fix : d.fixes)
                add(fix.where);
        }
        if (extra != nullptr)
            add(*extra);
        std::sort(offsets_.begin(), offsets_.end());
        offsets_.erase(std::unique(offsets_.begin(), offsets_.end()), offsets_.end());
        positions_ = lines.positions_of(offsets_);
    }

    nlohmann::json range(const place &where) const
    {
        const span s = span_of(lines_, where);
        const position start = at(s.start);
        const position end = at(s.end);
        return range_json(start.line, start.character, end.line, end.character);
    }

    // The protocol line a place starts on.
    std::size_t first_line(const place &where) const
    {
        return at(span_of(lines_, where).start).line;
    }

private:
    void add(const place &where)
    {
        const span s = span_of(lines_, where);
        offsets_.push_back(s.start);
        offsets_.push_back(s.end);
    }

    position at(std::size_t offset) const
    {
        const auto found = std::lower_bound(offsets_.begin(), offsets_.end(), offset);
        return positions_[static_cast<std::size_t>(found - offsets_.begin())];
    }

    const text_lines &lines_;
    std::vector<std::size_t> offsets_;
    std::vector<position> positions_;
};

// A client that takes related information gets the hint ("did you mean")
// and the notes as entries of their own, each at its place; to another,
// they are lines of the message, so that none is lost.
nlohmann::json diagnostic_json(const std::string &uri, const position_table &positions,
                               const diagnostic &found, bool related_information,
                               std::string_view code)
{
    std::string message(found.message.view());
    nlohmann::json related = nlohmann::json::array();
    const auto relate = [&](const auto &at, const std::string &text) {
        if (related_information)
            related.push_back(
                {{"location", {{"uri", uri}, {"range", positions.range(at)}}}, {"message", text}});
        else
            message += "\n" + text;
    };
    if (!found.hint.empty())
        relate(found.where, std::string(found.hint.view()));
    for (const note &note : found.notes)
        relate(note.where, note.message);
    nlohmann::json diagnostic = {
        {"range", positions.range(found.where)},
        {"severity", protocol_severity(found.severity)},
        {"code", code},
        {"source", "pexilon"},
        {"message", message},
    };
    if (!related.empty())
        diagnostic["relatedInformation"] = std::move(related);
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

nlohmann::json fix_edit(const position_table &positions, const fix_it &fix)
{
    return {{"range", positions.range(fix.where)}, {"newText", fix.replacement}};
}

} // namespace

nlohmann::json code_actions(const edited_document &doc, std::string_view text, std::size_t first,
                            std::size_t last, const nlohmann::json &params)
{
    const std::string &uri = doc.uri;
    const text_lines lines(text);
    const checked_document checked = check_document(text, max_published, max_message_bytes);
    const position_table positions(lines, checked.found, nullptr);
    nlohmann::json actions = nlohmann::json::array();
    std::size_t fixable = 0;
    for (const diagnostic &found : checked.found) {
        if (found.fixes.empty())
            continue;
        ++fixable;
        const std::size_t line = positions.first_line(found.where);
        if (line < first || line > last || !wanted(params, "quickfix"))
            continue;
        nlohmann::json edits = nlohmann::json::array();
        for (const fix_it &fix : found.fixes)
            edits.push_back(fix_edit(positions, fix));
        const fix_it &fix = found.fixes.front();
        const span replaced = span_of(lines, fix.where);
        const std::string title =
            fix.replacement.empty()
                ? "Remove '" +
                      std::string(text.substr(replaced.start, replaced.end - replaced.start)) + "'"
            : replaced.start == replaced.end ? "Insert '" + fix.replacement + "'"
                                             : "Change to '" + fix.replacement + "'";
        actions.push_back(
            {{"title", title + " (" + fix.change + ")"},
             {"kind", "quickfix"},
             {"diagnostics", nlohmann::json::array({diagnostic_json(
                                 uri, positions, found, doc.related_information, found.name())})},
             {"isPreferred", preferred_fix(found.name())},
             {"edit", workspace_edit(doc, std::move(edits))}});
    }
    if (fixable != 0 && wanted(params, "source.fixAll.pexilon")) {
        std::size_t made = 0;
        std::size_t later = 0;
        const std::string fixed = fixed_document(text, made, later);
        if (made != 0) {
            // The fix-its that the others bring are shown on no diagnostic:
            // the title says how many of them it makes.
            std::string count = std::to_string(made);
            if (later != 0)
                count += ": " + std::to_string(made - later) + " shown and " +
                         std::to_string(later) + " that they bring";
            const std::size_t end = lines.count() - 1;
            const nlohmann::json whole =
                range_json(0, 0, end, lines.utf16_column(end, lines.line(end).size()));
            actions.push_back(
                {{"title", "Make every fix-it (" + count + ")"},
                 {"kind", "source.fixAll.pexilon"},
                 {"edit", workspace_edit(doc, nlohmann::json::array(
                                                  {{{"range", whole}, {"newText", fixed}}}))}});
        }
    }
    return actions;
}

nlohmann::json diagnostics(const std::string &uri, std::string_view text, bool related_information)
{
    const text_lines lines(text);
    const checked_document checked = check_document(text, max_published, max_message_bytes);
    const position_table positions(lines, checked.found,
                                   checked.omitted != 0 ? &checked.first_omitted : nullptr);
    nlohmann::json list = nlohmann::json::array();
    for (const diagnostic &found : checked.found)
        list.push_back(diagnostic_json(uri, positions, found, related_information, found.name()));
    if (checked.omitted != 0) {
        // One more in place of the rest, where the first of them is, as grave
        // as the gravest of them.
        diagnostic more;
        more.severity = checked.worst_omitted;
        more.message = std::to_string(checked.omitted) +
                       " more diagnostics from here on are not shown: only the first " +
                       std::to_string(max_published) + " of a document are";
        more.where = checked.first_omitted;
        list.push_back(
            diagnostic_json(uri, positions, more, related_information, "too-many-diagnostics"));
    }
    return {{"uri", uri}, {"diagnostics", std::move(list)}};
}

} // namespace pexilon::lsp
