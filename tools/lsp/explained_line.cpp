// What a line became, in the words of the checker's account of each line.
// Built only with the checker (see CMakeLists.txt); the guard keeps tools
// that visit every source, clang-tidy for one, quiet when it is absent.
#if __has_include("check/checker.h")
#include "check/explained_lines.h"
#include "line_account.h"

namespace pexilon_lsp {

std::string line_account(std::string_view text, const document_model &, std::size_t line)
{
    // An editor line read in pieces has an account per piece.
    std::string joined;
    for (const pexilon::check::explained_line &account : pexilon::check::explain_text(text)) {
        if (account.editor_line != line + 1)
            continue;
        if (!joined.empty())
            joined += "\n";
        joined += account.text;
    }
    return joined;
}

} // namespace pexilon_lsp

#endif
