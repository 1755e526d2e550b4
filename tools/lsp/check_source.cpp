// Diagnostics from the checker, copied out of its callback.
// Built only with the checker (see CMakeLists.txt); the guard keeps tools
// that visit every source, clang-tidy for one, quiet when it is absent.
#if __has_include("check/checker.h")
#include "check_source.h"

#include <algorithm>

#include "check/checker.h"
#include "check/fixits.h"

namespace pexilon::lsp {

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

// `text`, or its first `size` bytes and "..." when it is longer, cut where a
// UTF-8 character starts.
std::string cut_to(const std::string &text, std::size_t size)
{
    if (text.size() <= size)
        return text;
    std::size_t end = size;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end) + "...";
}

found_diagnostic copy_of(const pexilon::check::diagnostic &in, std::size_t message_bytes)
{
    found_diagnostic out;
    out.level = level_of(in.severity);
    out.name = in.name;
    out.message = cut_to(in.message, message_bytes);
    out.hint = cut_to(in.hint, message_bytes);
    out.place = {in.line, in.column, in.end_column};
    for (const pexilon::check::note &note : in.notes)
        out.notes.push_back(
            {{note.line, note.column, note.end_column}, cut_to(note.message, message_bytes)});
    for (const pexilon::check::fix_it &fix : in.fixes)
        out.fixes.push_back({{fix.line, fix.column, fix.end_column}, fix.replacement, fix.change});
    return out;
}

} // namespace

checked_document check_document(std::string_view text, std::size_t limit, std::size_t message_bytes)
{
    checked_document checked;
    pexilon::check::check_text(text, [&](const pexilon::check::diagnostic &d) {
        if (checked.found.size() < limit) {
            checked.found.push_back(copy_of(d, message_bytes));
            return true;
        }
        if (checked.omitted++ == 0)
            checked.first_omitted = {d.line, d.column, d.end_column};
        const severity level = level_of(d.severity);
        if (level < checked.worst_omitted)
            checked.worst_omitted = level;
        return true;
    });
    return checked;
}

std::string fixed_document(std::string_view text, std::size_t &made, std::size_t &later)
{
    std::vector<pexilon::check::made_fix> each;
    std::string fixed = pexilon::check::fix_all(
        text, [](std::string_view) { return true; }, made, &each);
    later = static_cast<std::size_t>(std::count_if(
        each.begin(), each.end(), [](const pexilon::check::made_fix &f) { return f.round > 1; }));
    return fixed;
}

} // namespace pexilon::lsp

#endif
