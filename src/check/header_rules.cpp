// Text after a header's closing "]": the reader ignores it, so a variant
// group set apart by a blank, or a description, is lost without a word.
#include "check/line_rules.h"

#include <string>

#include "check/fixits.h"
#include "config/code_tables.h"
#include "config/section_names.h"
#include "reader/text_helpers.h"

namespace pexilon::check {

namespace {

bool starts_comment(std::string_view rest)
{
    return rest[0] == ';' || rest[0] == '#' || rest.substr(0, 2) == "//";
}

} // namespace

std::optional<diagnostic> check_header_rest(const line_account &line, std::string_view text)
{
    std::size_t begin = line.rest.begin;
    while (begin < line.rest.end && is_white(text[begin]))
        ++begin;
    if (begin >= line.rest.end)
        return std::nullopt;
    const std::string_view rest = text.substr(begin, line.rest.end - begin);
    if (starts_comment(rest))
        return std::nullopt;
    const std::string header =
        "[" + std::string(text.substr(line.name.begin, line.name.end - line.name.begin)) + "]";
    if (rest[0] == '[') {
        diagnostic f{diag_id::header_text,
                     "'" + std::string(rest) + "' after the closing ']' is ignored: groups " +
                         "set apart by white space are not joined, so the section is " + header,
                     begin, line.rest.end};
        // Joined, do the groups name a known section? Then the white space
        // between them is certainly what went wrong.
        std::string joined = header + std::string(rest);
        while (!joined.empty() && is_white(joined.back()))
            joined.pop_back();
        if (joined.back() == ']') {
            const std::string name = section_name(joined.substr(1, joined.size() - 2));
            if (lookup_row(section_codes, name) != nullptr) {
                f.fixes.push_back({{0, false, {line.rest.begin, begin}},
                                   "",
                                   "its lines are read into " + joined,
                                   {section_lines(name)}});
            }
        }
        return f;
    }
    return diagnostic{diag_id::header_text,
                      "'" + std::string(rest) +
                          "' after the closing ']' is ignored: the section is " + header,
                      begin, line.rest.end};
}

} // namespace pexilon::check
