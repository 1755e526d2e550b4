// Hover: what a line became, and for a key the field it fills.
#include "document_model.h"
#include "editor_requests.h"
#include "line_account.h"
#include "vocabulary.h"

namespace pexilon_lsp {

namespace {

// "camera.width, camera.height (uint32_t each): two numbers: ..."
std::string key_field_text(const document_model &model, std::size_t line)
{
    const key_line *key = model.key_at(line);
    if (key == nullptr || !key->in_section)
        return {};
    const key_info *info = find_key(model.sections[key->section].code, key->name);
    if (info == nullptr)
        return {};
    return std::string(info->name) + " fills " + info->field + " (" + info->width +
           "): " + info->note;
}

} // namespace

nlohmann::json hover(std::string_view text, position at)
{
    const text_lines lines(text);
    if (at.line >= lines.count())
        return nullptr;
    // The reader's line, which a lone "\r" does not end.
    const std::size_t line = lines.reader_line_at(lines.offset(at.line, 0));
    const document_model model = read_document(text);
    std::string value = line_account(text, model, line);
    const std::string field = key_field_text(model, line);
    if (!field.empty())
        value += (value.empty() ? "" : "\n") + field;
    if (value.empty())
        return nullptr;
    return {{"contents", {{"kind", "plaintext"}, {"value", value}}},
            {"range", reader_line_range(lines, line)}};
}

} // namespace pexilon_lsp
