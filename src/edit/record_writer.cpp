#include "edit/record_writer.h"

#include <string>

#include "config/code_tables.h"
#include "config/record_compare.h"
#include "config/record_fields.h"
#include "config/section_names.h"
#include "edit/key_lines.h"
#include "edit/number_text.h"
#include "reader/code_block.h"
#include "reader/line_loop.h"
#include "support/record_ops.h"

namespace pexilon::edit {

namespace {

// "KEY = value" for each key of a camera or control section, in table order.
void write_keys(std::string &out, std::span<const key_row> keys,
                std::span<const record_member> members, const void *fields)
{
    for (const key_row &key : keys) {
        const record_member &member = members[static_cast<std::size_t>(key.member)];
        out += key.name;
        out += " = ";
        if (key.form == value_form::text) {
            out += text_of(fields, member);
        } else if (key.form == value_form::pair) {
            out += std::to_string(number_of(fields, member)) + ", " +
                   std::to_string(number_of(fields, (&member)[1]));
        } else if (key.form == value_form::high_low) {
            const std::int64_t value = number_of(fields, member);
            out += number_text(value >> 8, true) + ", " + number_text(value & 0xFF, true);
        } else {
            out += number_text(number_of(fields, member), member.hex_digits != 0);
        }
        out += '\n';
    }
}

// The entries, a header before each run of one section. False with the
// reason for an entry whose section or key no file names.
bool write_entries(std::string &out, const record_copy &record, std::string &error)
{
    std::uint32_t section = 0;
    for (std::size_t i = 0; i < record.params.size(); ++i) {
        const param_entry &entry = record.params[i];
        const char *name = lookup_name(section_codes, section_of(entry.type));
        const key_row *key = key_by_code(rows_of(param_keys), key_of(entry.type));
        if (name == nullptr || key == nullptr ||
            kind_of(section_of(entry.type)) < PEXILON_KIND_BOARD ||
            kind_of(section_of(entry.type)) > PEXILON_KIND_REGISTER) {
            error =
                "entries[" + std::to_string(i) + "] has a type no section and key of a file give";
            return false;
        }
        if (entry.value_count > std::size(entry.values)) {
            error = "entries[" + std::to_string(i) + "] holds " +
                    std::to_string(entry.value_count) + " values, more than the " +
                    std::to_string(std::size(entry.values)) + " an entry has";
            return false;
        }
        if (i == 0 || section_of(entry.type) != section)
            out += "\n" + header_text(name) + "\n";
        section = section_of(entry.type);
        out += std::string(key->name) + " =";
        for (std::size_t v = 0; v < entry.value_count && v < std::size(entry.values); ++v)
            out +=
                (v == 0 ? " " : ", ") +
                number_text(entry.values[v], key->code != PEXILON_KEY_DELAY); // a delay is a time
        out += '\n';
    }
    return true;
}

void write_controls(std::string &out, const record_copy &record)
{
    for (std::size_t i = 0; i < record.controls.size(); ++i) {
        out += "\n" + header_text(lookup_name(section_codes, section_control)) + "\n";
        write_keys(out, rows_of(control_keys), control_members, &record.controls[i]);
        if (!record.codes[i])
            continue;
        out += line_detail::code_block_start.text;
        out += '\n';
        out += *record.codes[i];
        out += block_detail::code_block_end.text;
        out += '\n';
    }
}

// A text the reader would read otherwise: blanks at either end (trimmed
// off), or a blank before ";" or "//" (the start of an inline comment).
bool expressible_text(std::string_view text, const std::string &where, std::string &error)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    bool refused = !text.empty() && (blank(text.front()) || blank(text.back()));
    for (std::size_t i = 1; i < text.size() && !refused; ++i)
        refused = blank(text[i - 1]) && (text[i] == ';' || text.substr(i).starts_with("//"));
    if (refused)
        error = where + " has blanks at an end or before ';' or '//', which a file reads otherwise";
    return !refused;
}

bool expressible_texts(const record_copy &record, std::string &error)
{
    for (const record_member &member : camera_members)
        if (member.form == field_form::text &&
            !expressible_text(text_of(&record.camera, member), std::string("camera.") + member.name,
                              error))
            return false;
    for (std::size_t i = 0; i < record.controls.size(); ++i)
        for (const record_member &member : control_members)
            if (member.form == field_form::text &&
                !expressible_text(text_of(&record.controls[i], member),
                                  "controls[" + std::to_string(i) + "]." + member.name, error))
                return false;
    return true;
}

// What no file can give a control: a reserved field not 0, a code text
// whose last line has no line end (the reader ends every line it keeps).
bool expressible_controls(const record_copy &record, std::string &error)
{
    for (std::size_t i = 0; i < record.controls.size(); ++i) {
        const std::string at = "controls[" + std::to_string(i) + "]";
        if (record.controls[i].reserved != 0) {
            error = at + ".reserved is not 0, and no key of a file sets it";
            return false;
        }
        if (record.codes[i] && !record.codes[i]->empty() && !record.codes[i]->ends_with('\n')) {
            error = at + ".code does not end with a line end, as every code a file gives does";
            return false;
        }
    }
    return true;
}

} // namespace

edit_outcome write_record(record_copy &record)
{
    std::string out = header_text(lookup_name(section_codes, section_camera)) + "\n";
    write_keys(out, rows_of(camera_keys), camera_members, &record.camera);
    std::string error;
    if (!expressible_texts(record, error) || !expressible_controls(record, error) ||
        !write_entries(out, record, error))
        return refused(error);
    write_controls(out, record);
    const document empty{std::string()};
    edit_outcome outcome = verified(empty, std::move(out), record);
    // Every other line is written as the reader takes it: a fault comes from a code line.
    if (!outcome.done && outcome.reason.find("faulty lines") != std::string::npos)
        outcome.reason =
            "a line of a code text would be read as a block marker or a section header";
    return outcome;
}

} // namespace pexilon::edit
