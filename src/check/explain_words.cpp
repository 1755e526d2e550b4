#include "check/explain_words.h"

#include "check/value_rules.h"
#include "config/record_fields.h"
#include "support/hex_text.h"

namespace pexilon::check {

namespace {

std::string member_words(const void *record, const record_member &member)
{
    if (member.form == field_form::text)
        return "\"" + std::string(text_of(record, member)) + "\"";
    const std::int64_t value = number_of(record, member);
    if (member.hex_digits == 0)
        return std::to_string(value);
    return hex_spelling(static_cast<std::uint64_t>(value), member.hex_digits).c_str();
}

std::string entry_words(const line_account &line, const parsed_config &record)
{
    const std::size_t i = line.key.index;
    const param_entry &e = record.params[i];
    std::string out = "params[" + std::to_string(i) + "] = " + line.key.key->name;
    for (int v = 0; v < e.value_count; ++v)
        out += std::string(v == 0 ? " " : ", ") + hex_spelling(e.values[v], 2).c_str();
    if (e.value_count == 0)
        out += " (no numbers)";
    return out;
}

} // namespace

std::string stored_words(const line_account &line, const parsed_config &record)
{
    const key_row &key = *line.key.key;
    if (key.target == key_target::entry)
        return entry_words(line, record);
    const void *base = &record.camera;
    std::string prefix = label_prefix(key.target);
    if (key.target == key_target::control) {
        base = &record.controls[line.key.index];
        prefix = "controls[" + std::to_string(line.key.index) + "].";
    }
    const record_member *member = member_of(key);
    std::string out = prefix + member->name + " = " + member_words(base, *member);
    if (key.form == value_form::pair)
        out += ", " + prefix + member[1].name + " = " + member_words(base, member[1]);
    // SIZE with one number, FORMAT with three: the line sets nothing.
    return line.key.changed ? out : "unchanged: " + out;
}

const char *kind_words(line_kind kind)
{
    switch (kind) {
    case line_kind::blank:
        return "a blank line";
    case line_kind::comment:
        return "a comment";
    case line_kind::header:
        return "a section header";
    case line_kind::name_value:
        return "a name/value line";
    case line_kind::continuation:
        return "a continuation of the line above";
    case line_kind::block_start:
        return "the start of a code block";
    case line_kind::block_line:
        return "a line of the code block";
    case line_kind::block_end:
        return "the end of the code block";
    case line_kind::block_cut:
        return "a section header that cuts the code block off";
    case line_kind::faulty:
        return "a faulty line";
    }
    return "a line";
}

} // namespace pexilon::check
