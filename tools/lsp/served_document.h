// A document as the server holds it between two changes: the library's
// document of its text, read once, and the protocol's lines over it. What
// each line became in explain's words is worked out on the first hover of
// a version and kept, so that later hovers look a line up instead of
// explaining the whole text again.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "document/document.h"
#include "line_account.h"
#include "text_lines.h"

namespace pexilon::lsp {

class served_document {
public:
    // Throws std::bad_alloc when memory runs out.
    explicit served_document(std::string text);
    // The lines view the document's own text: it stays where it is.
    served_document(const served_document &) = delete;
    served_document &operator=(const served_document &) = delete;

    const std::string &text() const noexcept { return document_.stored_text(); }
    const pexilon::document &read() const noexcept { return document_; }
    const text_lines &lines() const noexcept { return lines_; }

    // What editor line `line` (0-based) became, its pieces' accounts one a
    // line; "" for none.
    std::string explained(std::size_t line) const;

private:
    pexilon::document document_;
    text_lines lines_;
    mutable std::optional<std::vector<line_words>> words_;
};

} // namespace pexilon::lsp
