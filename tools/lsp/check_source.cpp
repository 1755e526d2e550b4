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

// `text`, or its first `size` bytes and "..." when it is longer, cut where a
// UTF-8 character starts.
template <class Text>
Text cut_to(const Text &text, std::size_t size)
{
    if (text.size() <= size)
        return text;
    const std::string_view words = text;
    std::size_t end = size;
    while (end > 0 && (static_cast<unsigned char>(words[end]) & 0xC0) == 0x80)
        --end;
    return Text(std::string(words.substr(0, end)) + "...");
}

// A diagnostic kept past the check's callback: its messages cut, and no
// view into the text it was found in.
diagnostic copy_of(const diagnostic &in, std::size_t message_bytes)
{
    diagnostic out = in;
    out.source = {};
    out.message = cut_to(in.message, message_bytes);
    out.hint = cut_to(in.hint, message_bytes);
    for (note &n : out.notes)
        n.message = cut_to(n.message, message_bytes);
    return out;
}

} // namespace

checked_document check_document(std::string_view text, std::size_t limit, std::size_t message_bytes)
{
    checked_document checked;
    pexilon::check::check_text(text, [&](const diagnostic &d) {
        if (checked.found.size() < limit) {
            checked.found.push_back(copy_of(d, message_bytes));
            return true;
        }
        if (checked.omitted++ == 0)
            checked.first_omitted = d.where;
        checked.worst_omitted = std::min(checked.worst_omitted, d.severity);
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
