// Hover: what a line became, and for a key the field it fills.
#include "editor_requests.h"
#include "section_keys.h"
#include "served_document.h"

namespace pexilon::lsp {

namespace {

// The first piece of editor line `line` that sets a key (a continuation
// sets the key of the line it continues), or null.
const pexilon::document_piece *key_piece(const pexilon::document &doc, std::size_t line)
{
    if (line >= doc.lines().size())
        return nullptr;
    const pexilon::document_line &l = doc.lines()[line];
    for (std::size_t p = 0; p < l.piece_count; ++p) {
        const pexilon::document_piece &piece = doc.pieces()[l.first_piece + p];
        if (piece.kind == pexilon::line_kind::name_value ||
            piece.kind == pexilon::line_kind::continuation)
            return &piece;
    }
    return nullptr;
}

// "camera.width, camera.height (uint32_t each): two numbers: ..."
std::string key_field_text(const pexilon::document &doc, std::size_t line)
{
    const pexilon::document_piece *key = key_piece(doc, line);
    if (key == nullptr || key->section == pexilon::no_index)
        return {};
    const std::string_view name = key->kind == pexilon::line_kind::continuation
                                      ? std::string_view(key->continues)
                                      : doc.bytes(key->name);
    const key_info *info = find_key(doc.sections()[key->section].code, name);
    if (info == nullptr)
        return {};
    return std::string(info->name) + " fills " + info->field + " (" + info->width +
           "): " + info->note;
}

} // namespace

nlohmann::json hover(const served_document &doc, position at)
{
    const text_lines &lines = doc.lines();
    if (at.line >= lines.count())
        return nullptr;
    // The reader's line, which a lone "\r" does not end.
    const std::size_t line = lines.reader_line_at(lines.offset(at.line, 0));
    std::string value = doc.explained(line);
    const std::string field = key_field_text(doc.read(), line);
    if (!field.empty())
        value += (value.empty() ? "" : "\n") + field;
    if (value.empty())
        return nullptr;
    return {{"contents", {{"kind", "plaintext"}, {"value", value}}},
            {"range", reader_line_range(lines, line)}};
}

} // namespace pexilon::lsp
