#include "edit/splice.h"

#include <algorithm>

namespace pexilon::edit {

std::string apply_splices(std::string_view text, std::vector<splice> splices)
{
    std::stable_sort(splices.begin(), splices.end(), [](const splice &a, const splice &b) {
        return a.replaced.begin < b.replaced.begin;
    });
    std::string out;
    out.reserve(text.size() + 256);
    std::size_t at = 0;
    for (const splice &each : splices) {
        out.append(text.substr(at, each.replaced.begin - at));
        out += each.text;
        at = each.replaced.end;
    }
    out.append(text.substr(at));
    return out;
}

std::string_view file_line_end(const document &doc)
{
    for (const document_line &line : doc.lines()) {
        const std::string_view bytes = doc.bytes(line.bytes);
        if (bytes.ends_with("\r\n"))
            return "\r\n";
        if (bytes.ends_with("\n"))
            return "\n";
    }
    return "\n";
}

splice line_after(const document &doc, std::size_t line, const std::string &new_line)
{
    const std::string_view end = file_line_end(doc);
    if (doc.lines().empty() || doc.stored_text().empty())
        return {{0, 0}, new_line + std::string(end)};
    const document_line &at = doc.lines()[std::min(line, doc.lines().size() - 1)];
    const bool ended = doc.bytes(at.bytes).ends_with('\n');
    return {{at.bytes.end, at.bytes.end},
            (ended ? std::string() : std::string(end)) + new_line + std::string(end)};
}

} // namespace pexilon::edit
