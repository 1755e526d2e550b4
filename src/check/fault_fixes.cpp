// The fix-its of the library's faults, where the repair is certain: the
// separator a key line lacks, the "]" a known section's header lacks.
#include "check/fault_fixes.h"

#include "check/fixits.h"
#include "check/value_rules.h"
#include "config/section_names.h"
#include "config/value_parsing.h"
#include "reader/text_helpers.h"

namespace pexilon::check {

namespace {

// True when `value`, as the library reads a value of `key`, is read whole:
// a text that it keeps, or numbers the key takes, each read to its end,
// one comma apart.
bool reads_as_value(const key_row &key, std::string_view value)
{
    if (value.empty())
        return false;
    if (key.form == value_form::text)
        return value.size() <= key.text_room;
    std::size_t count = 0;
    for (;;) {
        const std::size_t comma = value.find(',');
        std::string item(value.substr(0, comma));
        while (!item.empty() && is_white(item.back()))
            item.pop_back();
        const number_scan n = scan_number(item.c_str());
        if (!n.digits || n.saturated || n.end != item.c_str() + item.size())
            return false;
        ++count;
        if (comma == std::string_view::npos)
            break;
        value.remove_prefix(comma + 1);
    }
    const std::size_t least = key.form == value_form::list ? 1 : key.min_numbers;
    return count >= least && count <= key.max_numbers;
}

// True when the editor line after `editor_line` would be read as a
// continuation of a name/value line: indented, and neither blank nor a
// comment.
bool continued_below(const run_state &s, std::size_t editor_line)
{
    if (editor_line >= s.map.editor_lines())
        return false;
    const std::string_view next = s.map.line_text(editor_line + 1);
    if (next.empty() || !is_white(next[0]))
        return false;
    std::size_t at = 0;
    while (at < next.size() && is_white(next[at]))
        ++at;
    const std::string_view rest = next.substr(at);
    return !rest.empty() && rest[0] != ';' && rest[0] != '#' && rest.substr(0, 2) != "//";
}

// True when a line that is neither blank nor a comment follows `editor_line`
// before the next header: a line the section it stands in reads.
bool read_below(const run_state &s, std::size_t editor_line)
{
    for (std::size_t line = editor_line + 1; line <= s.map.editor_lines(); ++line) {
        const std::string_view text = s.map.line_text(line);
        std::size_t at = 0;
        while (at < text.size() && is_white(text[at]))
            ++at;
        const std::string_view rest = text.substr(at);
        if (rest.empty() || rest[0] == ';' || rest[0] == '#' || rest.substr(0, 2) == "//")
            continue;
        return rest[0] != '[';
    }
    return false;
}

} // namespace

std::vector<fix_it> separator_fix(const run_state &s, text_span part, std::size_t name_end)
{
    const std::string_view text = s.line_text();
    const std::string_view read = text.substr(part.begin, name_end - part.begin);
    std::size_t key_end = 0;
    while (key_end < read.size() && !is_white(read[key_end]))
        ++key_end;
    std::size_t value_at = key_end;
    while (value_at < read.size() && is_white(read[value_at]))
        ++value_at;
    if (key_end == 0 || value_at == key_end || value_at == read.size())
        return {};
    const key_row *key = nullptr;
    for (const key_row &row : keys_of_section(s.section_code))
        if (read.substr(0, key_end) == row.name)
            key = &row;
    // The line must be the only piece of its editor line, and stay so.
    const std::size_t editor_line = s.map.editor_line(s.line->reader_line);
    if (key == nullptr || !reads_as_value(*key, read.substr(value_at)) ||
        s.map.pieces_of(editor_line) != 1 || text.size() + 2 >= piece_limit ||
        continued_below(s, editor_line))
        return {};
    // "REG 1" -> "REG = 1"; "REG  1" -> "REG = 1"; "REG\t1" -> "REG =\t1".
    const std::size_t at = part.begin + key_end;
    const bool room = value_at - key_end >= 2 && read[key_end] == ' ';
    const std::string label = key_label(*key);
    std::string change = "the line is read as the key " + std::string(key->name);
    change += label == "params[]" ? ", which adds an entry to params[]" : ", which sets " + label;
    const std::vector<record_change> record{key_change(*key, s.section_code, label == "params[]")};
    if (room)
        return {{s.at({at + 1, at + 1}), "=", change, record}};
    return {{s.at({at, at}), " =", change, record}};
}

std::vector<fix_it> bracket_fix(const run_state &s, text_span part, std::size_t name_end)
{
    const std::string_view text = s.line_text();
    const std::string name(text.substr(part.begin + 1, name_end - part.begin - 1));
    if (name.empty() || lookup_row(section_codes, name) == nullptr ||
        s.map.pieces_of(s.map.editor_line(s.line->reader_line)) != 1 ||
        text.size() + 1 >= piece_limit)
        return {};
    const std::string header = as_header(name);
    const bool control = lookup_row(section_codes, name)->code == section_control;
    std::string change;
    std::vector<record_change> record;
    if (!control && !read_below(s, s.map.editor_line(s.line->reader_line)))
        change = record_unchanged("the header opens " + header + ", with no line below it");
    else if (!control && name == s.section)
        change = record_unchanged("the lines below stay in " + header + ", as before");
    else {
        change = "the header opens " + header + ", and the lines below are read into it";
        record.push_back(section_lines(name));
    }
    return {{s.at({name_end, name_end}), "]", change, record}};
}

} // namespace pexilon::check
