// The outline: one symbol per section the reader opened, controls named by
// their CTRL_NAME.
#include "document_model.h"
#include "editor_requests.h"
#include "vocabulary.h"

namespace pexilon_lsp {

namespace {

constexpr int kind_namespace = 3;
constexpr int kind_object = 19;

nlohmann::json section_symbol(const text_lines &lines, const section_span &span)
{
    const bool control = span.code == 0x04000000u;
    std::string name = header_text(span.section);
    std::string detail;
    if (control) {
        detail = "controls[" + std::to_string(span.control_index) + "]";
        if (!span.ctrl_name.empty())
            name = span.ctrl_name;
    } else if (span.code == 0) {
        detail = "ignored: unknown section";
    }
    // The reader's lines, which a lone "\r" cuts into several of the protocol.
    nlohmann::json header = reader_line_range(lines, span.first_line);
    const nlohmann::json last = reader_line_range(lines, span.last_line);
    nlohmann::json symbol = {
        {"name", name},
        {"kind", control ? kind_object : kind_namespace},
        {"range", {{"start", header["start"]}, {"end", last["end"]}}},
        {"selectionRange", std::move(header)},
    };
    if (!detail.empty())
        symbol["detail"] = detail;
    return symbol;
}

} // namespace

nlohmann::json document_symbols(std::string_view text)
{
    const text_lines lines(text);
    nlohmann::json symbols = nlohmann::json::array();
    for (const section_span &span : read_document(text).sections)
        symbols.push_back(section_symbol(lines, span));
    return symbols;
}

} // namespace pexilon_lsp
