// What each line became, in the words of the checker's account of each line.
// Built only with the checker (see CMakeLists.txt); the guard keeps tools
// that visit every source, clang-tidy for one, quiet when it is absent.
#if __has_include("check/checker.h")
#include "check/explained_lines.h"
#include "line_account.h"

namespace pexilon::lsp {

std::vector<line_words> explain_lines(std::string_view text)
{
    std::vector<line_words> words;
    for (pexilon::check::explained_line &account : pexilon::check::explain_text(text))
        words.push_back({account.editor_line - 1, std::move(account.text)});
    return words;
}

} // namespace pexilon::lsp

#endif
