// What a line became, told from the reader's events.
#include "line_account.h"

#include <cstdio>

#include "vocabulary.h"

namespace pexilon_lsp {

namespace {

std::string hex_code(std::uint32_t code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", code);
    return text;
}

std::string section_account(const section_span &span)
{
    std::string text = "section " + header_text(span.section);
    if (span.code == 0)
        return text + ": ignored, unknown section";
    text += " (" + hex_code(span.code) + ")";
    if (span.code == 0x04000000u)
        text += ", controls[" + std::to_string(span.control_index) + "]";
    return text;
}

std::string key_account(const document_model &model, const key_line &key)
{
    if (!key.in_section)
        return "ignored: " + key.name + " before any section";
    const section_span &span = model.sections[key.section];
    if (span.code == 0)
        return "ignored: " + key.name + " in an unknown section";
    if (find_key(span.code, key.name) == nullptr)
        return "ignored: unknown key " + key.name;
    return "sets " + key.name;
}

} // namespace

std::string line_account(std::string_view, const document_model &model, std::size_t line)
{
    if (const section_span *span = model.section_at(line);
        span != nullptr && span->first_line == line)
        return section_account(*span);
    if (const key_line *key = model.key_at(line))
        return key_account(model, *key);
    return {};
}

} // namespace pexilon_lsp
