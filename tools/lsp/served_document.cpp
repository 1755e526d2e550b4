#include "served_document.h"

#include <algorithm>

namespace pexilon::lsp {

served_document::served_document(std::string text)
    : document_(std::move(text)), lines_(document_.stored_text())
{
}

std::string served_document::explained(std::size_t line) const
{
    if (!words_)
        words_ = explain_lines(text());
    const auto [first, last] =
        std::equal_range(words_->begin(), words_->end(), line_words{line, {}},
                         [](const line_words &a, const line_words &b) { return a.line < b.line; });
    // An editor line read in pieces has an account per piece.
    std::string joined;
    for (auto at = first; at != last; ++at) {
        if (at != first)
            joined += "\n";
        joined += at->text;
    }
    return joined;
}

} // namespace pexilon::lsp
