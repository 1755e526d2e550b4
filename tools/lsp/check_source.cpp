// Diagnostics from the checker, copied out of its callback.
// Built only with the checker (see CMakeLists.txt); the guard keeps tools
// that visit every source, clang-tidy for one, quiet when it is absent.
#if __has_include("check/checker.h")
#include "check_source.h"

#include "check/checker.h"
#include "check/fixits.h"

namespace pexilon_lsp {

namespace {

severity level_of(pexilon_check_severity in)
{
    switch (in) {
    case PEXILON_CHECK_ERROR:
        return severity::error;
    case PEXILON_CHECK_WARNING:
        return severity::warning;
    case PEXILON_CHECK_NOTE:
        break;
    }
    return severity::note;
}

found_diagnostic copy_of(const pexilon::check::diagnostic &in)
{
    found_diagnostic out;
    out.level = level_of(in.severity);
    out.name = in.name;
    out.message = in.message;
    out.hint = in.hint;
    out.place = {in.line, in.column, in.end_column};
    for (const pexilon::check::note &note : in.notes)
        out.notes.push_back({{note.line, note.column, note.end_column}, note.message});
    for (const pexilon::check::fix_it &fix : in.fixes)
        out.fixes.push_back({{fix.line, fix.column, fix.end_column}, fix.replacement, fix.change});
    return out;
}

} // namespace

std::vector<found_diagnostic> check_document(std::string_view text)
{
    std::vector<found_diagnostic> found;
    pexilon::check::check_text(text, [&found](const pexilon::check::diagnostic &d) {
        found.push_back(copy_of(d));
        return true;
    });
    return found;
}

std::string fixed_document(std::string_view text, std::size_t &made)
{
    return pexilon::check::fix_all(
        text, [](std::string_view) { return true; }, made);
}

} // namespace pexilon_lsp

#endif
