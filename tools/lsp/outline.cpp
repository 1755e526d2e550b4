// The outline: one symbol per section the reader opened, controls named by
// their CTRL_NAME.
#include <algorithm>

#include "editor_requests.h"
#include "section_keys.h"
#include "served_document.h"

namespace pexilon::lsp {

namespace {

constexpr int kind_namespace = 3;
constexpr int kind_object = 19;

// `last_line`: where the section ends, as the protocol counts reader lines.
nlohmann::json section_symbol(const served_document &doc, const pexilon::document_section &span,
                              std::size_t last_line)
{
    const text_lines &lines = doc.lines();
    const bool control = span.code == 0x04000000u;
    std::string name = header_text(span.name);
    std::string detail;
    if (control) {
        detail = "controls[" + std::to_string(span.control) + "]";
        if (span.ctrl_name.size() != 0)
            name = doc.read().bytes(span.ctrl_name);
    } else if (span.code == 0) {
        detail = "ignored: unknown section";
    }
    // The reader's lines, which a lone "\r" cuts into several of the protocol.
    nlohmann::json header = reader_line_range(lines, span.first_line);
    const nlohmann::json last = reader_line_range(lines, last_line);
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

nlohmann::json document_symbols(const served_document &doc)
{
    nlohmann::json symbols = nlohmann::json::array();
    const std::vector<pexilon::document_section> &sections = doc.read().sections();
    // The last section runs to the protocol's last reader line, which is
    // past the document's last line when the text ends in a newline.
    const std::string &text = doc.text();
    const auto reader_lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    for (const pexilon::document_section &span : sections)
        symbols.push_back(
            section_symbol(doc, span, &span == &sections.back() ? reader_lines : span.last_line));
    return symbols;
}

} // namespace pexilon::lsp
