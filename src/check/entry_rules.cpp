// A key line's value as written, where the record got something other than
// its author probably meant: nothing, an item skipped, quotes kept, or a
// number read in another base.
#include "check/line_rules.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "reader/text_helpers.h"

namespace pexilon::check {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void check_empty(const line_account &line, std::vector<diagnostic> &out)
{
    const key_row &key = *line.key.key;
    if (key.form != value_form::list || line.value.begin != line.value.end)
        return;
    out.push_back({diag_id::empty_value,
                   std::string(key.name) + " has no value: params[" +
                       std::to_string(line.key.index) + "] is an entry with no numbers",
                   line.name.begin, line.name.end,
                   "give its numbers on this line, or remove the line"});
}

// Items between two commas with nothing in them: a list skips them, so the
// numbers after one move up a place.
void check_empty_items(const line_account &line, std::string_view text,
                       std::vector<diagnostic> &out)
{
    const key_row &key = *line.key.key;
    if (key.form != value_form::list)
        return;
    std::size_t from = line.value.begin;
    std::size_t index = 0;
    auto gap = [&](std::size_t to, bool last) {
        // Between two numbers stands one comma, before the first none, after
        // the last one at most (a list that goes on on the next line).
        const std::size_t allowed = index == 0 ? 0 : 1;
        if (to <= from + allowed)
            return; // no room for more commas than that
        std::size_t commas = 0;
        std::size_t first = to;
        for (std::size_t i = from; i < to; ++i)
            if (text[i] == ',') {
                first = commas == 0 ? i : first;
                ++commas;
            }
        if (commas <= allowed || (last && index == 0))
            return;
        out.push_back({diag_id::empty_item,
                       "an empty item in the list is skipped, not read as 0: " +
                           (last ? std::string("nothing follows it")
                                 : std::string(key.name) + "'s number " +
                                       std::to_string(index + 1) + " is the one after it"),
                       first, to, "remove the extra comma, or write 0"});
    };
    for (const number_account &n : line.key.numbers) {
        gap(n.item_begin, false);
        from = n.item_end;
        ++index;
    }
    gap(line.value.end, true);
}

void check_quotes(const line_account &line, std::string_view text, std::vector<diagnostic> &out)
{
    const key_row &key = *line.key.key;
    const std::size_t size = line.value.end - line.value.begin;
    if (key.form != value_form::text || size < 2)
        return;
    const char first = text[line.value.begin];
    const char last = text[line.value.end - 1];
    if ((first != '"' && first != '\'') || last != first)
        return;
    out.push_back({diag_id::quoted_text,
                   "the quotes are kept: " + key_label(key) + " got " +
                       std::string(text.substr(line.value.begin, size)) + " with them",
                   line.value.begin, line.value.end, "write the text without quotes"});
}

// "010": decimal 10 here, where C and some tools would read octal 8. Only
// when the two readings differ.
void check_leading_zero(const line_account &line, std::string_view text,
                        std::vector<diagnostic> &out)
{
    for (const number_account &n : line.key.numbers) {
        if (!n.digits || n.hex)
            continue;
        std::size_t at = n.begin;
        if (at < n.begin + n.taken && (text[at] == '-' || text[at] == '+'))
            ++at;
        const std::size_t end = n.begin + n.taken;
        if (at + 1 >= end || text[at] != '0' || !is_digit(text[at + 1]))
            continue;
        std::uint64_t octal = 0;
        std::uint64_t decimal = 0;
        bool octal_digits = true;
        for (std::size_t i = at; i < end && i < at + 18; ++i) {
            octal_digits = octal_digits && text[i] <= '7';
            octal = octal * 8 + static_cast<unsigned>(text[i] - '0');
            decimal = decimal * 10 + static_cast<unsigned>(text[i] - '0');
        }
        if (!octal_digits || octal == decimal)
            continue;
        const std::string written(text.substr(n.begin, n.taken));
        out.push_back({diag_id::leading_zero,
                       "'" + written + "' is read as decimal " + std::to_string(n.read) +
                           ": a leading zero does not make a number octal",
                       n.begin, end,
                       "write it without the zero, or as 0x" +
                           [&] {
                               char hex[24];
                               std::snprintf(hex, sizeof hex, "%llX",
                                             static_cast<unsigned long long>(octal));
                               return std::string(hex);
                           }() +
                           " if octal " + written + " was meant"});
    }
}

// Where an inline comment would start in the value, had it not been
// indented: a ";" or "//" after white space.
std::size_t comment_start(const line_account &line, std::string_view text)
{
    for (std::size_t i = line.value.begin + 1; i < line.value.end; ++i)
        if ((text[i] == ';' || (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '/')) &&
            is_white(text[i - 1]))
            return i;
    return line.value.end;
}

} // namespace

void check_continuation_comment(const line_account &line, std::string_view text,
                                std::vector<diagnostic> &found)
{
    const std::size_t start = comment_start(line, text);
    if (start == line.value.end)
        return;
    std::erase_if(found, [&](const diagnostic &f) { return f.where.span.end > start; });
    const key_row &key = *line.key.key;
    const std::string comment(text.substr(start, line.value.end - start));
    std::string effect = "it is ignored after the number before it";
    for (std::size_t i = 0; i < line.key.numbers.size(); ++i) {
        const number_account &n = line.key.numbers[i];
        if (n.item_end > start && n.begin >= start)
            effect = "it is read as a number: " +
                     (key.form == value_form::list
                          ? std::string(key.name) + "'s number " + std::to_string(i + 1)
                          : key_label(key)) +
                     " got 0";
    }
    found.push_back({diag_id::continuation,
                     "comments are not recognised on an indented line that continues " +
                         std::string(key.name) + ": '" + comment + "' is part of the value, and " +
                         effect,
                     start, line.value.end, "put the comment on a line of its own"});
}

void check_written_form(const line_account &line, std::string_view text,
                        std::vector<diagnostic> &out)
{
    check_empty(line, out);
    check_empty_items(line, text, out);
    check_quotes(line, text, out);
    check_leading_zero(line, text, out);
}

} // namespace pexilon::check
