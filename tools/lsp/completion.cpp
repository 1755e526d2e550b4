// Completion: the section headers after "[", the keys of the current
// section at the start of a line.
#include <cctype>

#include "editor_requests.h"
#include "section_keys.h"
#include "served_document.h"

namespace pexilon::lsp {

namespace {

constexpr int kind_module = 9;
constexpr int kind_property = 10;

bool is_key_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// The headers, each replacing the text from the "[" to the cursor, and the
// closing brackets an editor may have put after the cursor.
nlohmann::json header_items(const text_lines &lines, position at, std::size_t bracket,
                            std::size_t cursor)
{
    std::string_view line = lines.line(at.line);
    std::size_t end = cursor;
    while (end < line.size() && line[end] == ']')
        ++end;
    const nlohmann::json range = range_json(at.line, lines.utf16_column(at.line, bracket), at.line,
                                            lines.utf16_column(at.line, end));
    nlohmann::json items = nlohmann::json::array();
    for (const std::string &header : known_headers())
        items.push_back({{"label", header},
                         {"kind", kind_module},
                         {"filterText", header},
                         {"textEdit", {{"range", range}, {"newText", header}}}});
    return items;
}

nlohmann::json key_items(const pexilon::document &doc, std::size_t line)
{
    nlohmann::json items = nlohmann::json::array();
    const pexilon::document_section *span = doc.section_at(line);
    if (span == nullptr)
        return items;
    for (const key_info &key : keys_of(span->code))
        items.push_back({{"label", key.name},
                         {"kind", kind_property},
                         {"detail", std::string(key.field) + " (" + key.width + ")"},
                         {"documentation", key.note},
                         {"insertText", std::string(key.name) + " = "}});
    return items;
}

} // namespace

nlohmann::json completion(const served_document &doc, position at)
{
    const text_lines &lines = doc.lines();
    nlohmann::json items = nlohmann::json::array();
    if (at.line < lines.count()) {
        const std::string_view line = lines.line(at.line);
        const std::size_t cursor = lines.byte_column(at.line, at.character);
        std::size_t start = 0;
        while (start < cursor && std::isspace(static_cast<unsigned char>(line[start])))
            ++start;
        std::size_t word = start;
        while (word < cursor && is_key_char(line[word]))
            ++word;
        // After a closing bracket the header is written; a "[" after it
        // starts the next group, whose headers replace the whole line.
        if (start < cursor && line[start] == '[' && line[cursor - 1] != ']')
            items = header_items(lines, at, start, cursor);
        else if (word == cursor)
            items = key_items(doc.read(), lines.reader_line_at(lines.offset(at.line, 0)));
    }
    return {{"isIncomplete", false}, {"items", std::move(items)}};
}

} // namespace pexilon::lsp
