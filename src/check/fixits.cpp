#include "check/fixits.h"

#include <algorithm>
#include <cctype>

#include "check/suggestions.h"

namespace pexilon::check {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A number as the reader reads it whole: a sign, then decimal digits or
// 0x and hexadecimal digits.
bool whole_number(std::string_view text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return std::all_of(text.begin() + 2, text.end(),
                           [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    return !text.empty() && std::all_of(text.begin(), text.end(), is_digit);
}

bool is_space(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::vector<raw_fix> rename_fix(place where, std::string_view written,
                                const std::vector<std::string> &candidates,
                                const std::string &change_prefix)
{
    const std::vector<std::string> near = nearest_names(written, candidates);
    if (near.size() != 1 || near.front() == written)
        return {};
    return {{where, near.front(), change_prefix + near.front()}};
}

std::vector<raw_fix> section_fix(place where, std::string_view section,
                                 const std::vector<std::string> &known)
{
    std::vector<raw_fix> fixes = rename_fix(where, section, known, "");
    if (fixes.empty())
        return fixes;
    std::string written;
    for (std::size_t i = 0; i < fixes[0].replacement.size(); ++i) {
        const bool joint = fixes[0].replacement.compare(i, 2, "||") == 0;
        written += joint ? "][" : fixes[0].replacement.substr(i, 1);
        i += joint ? 1 : 0;
    }
    fixes[0].replacement = written;
    fixes[0].change = "its lines are read into [" + written + "]";
    return fixes;
}

bool is_unit_suffix(std::string_view copy, std::size_t taken)
{
    if (taken == 0 || taken >= copy.size())
        return false;
    const std::string_view number = copy.substr(0, taken);
    std::size_t rest = taken;
    while (rest < copy.size() && is_space(copy[rest]))
        ++rest;
    const std::string_view unit = copy.substr(rest);
    // After 0x1F, "ms" might be meant as more digits; after 12, "G4" might
    // be a mistyped hexadecimal number: only plain decimal and letters.
    const bool decimal = std::all_of(number.begin() + (number[0] == '-' || number[0] == '+'),
                                     number.end(), is_digit);
    const bool letters = !unit.empty() && unit.size() <= 4 &&
                         std::all_of(unit.begin(), unit.end(), [](char c) {
                             return std::isalpha(static_cast<unsigned char>(c)) != 0;
                         });
    return decimal && letters && number.size() > (number[0] == '-' || number[0] == '+');
}

std::string with_commas(std::string_view item, std::size_t &count)
{
    count = 0;
    std::string out;
    std::size_t i = 0;
    while (i < item.size()) {
        while (i < item.size() && is_space(item[i]))
            ++i;
        const std::size_t start = i;
        while (i < item.size() && !is_space(item[i]))
            ++i;
        if (start == i)
            break;
        const std::string_view word = item.substr(start, i - start);
        if (!whole_number(word))
            return {};
        out += (count++ == 0 ? "" : ", ");
        out += word;
    }
    return count >= 2 ? out : std::string();
}

raw_fix unindent_fix(std::size_t line, std::size_t indent, std::string_view continued)
{
    return {{line, false, {0, indent}},
            "",
            "the line is read as one of its own; " + std::string(continued) +
                " keeps the value of the line above"};
}

std::string apply_fixes(std::string_view text, std::vector<fix_it> fixes, std::size_t *made)
{
    std::size_t count = 0;
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts.push_back(i + 1);
    std::stable_sort(fixes.begin(), fixes.end(), [](const fix_it &a, const fix_it &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    std::string out;
    std::size_t done = 0; // bytes of `text` copied or replaced so far
    for (const fix_it &f : fixes) {
        if (f.line == 0 || f.line > starts.size() || f.column == 0 || f.end_column < f.column)
            continue;
        const std::size_t begin = starts[f.line - 1] + f.column - 1;
        const std::size_t end = starts[f.line - 1] + f.end_column - 1;
        if (begin < done || end > text.size())
            continue; // overlaps an edit already made
        out.append(text.substr(done, begin - done));
        out += f.replacement;
        done = end;
        ++count;
    }
    out.append(text.substr(done));
    if (made != nullptr)
        *made = count;
    return out;
}

} // namespace pexilon::check
