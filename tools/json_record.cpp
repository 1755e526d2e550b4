// Writing a parsed_config and its parse report as JSON.
#include "json_record.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <span>
#include <string_view>
#include <vector>

#include "config/code_tables.h"
#include "config/record_fields.h"
#include "config/section_names.h"
#include "support/hex_text.h"

namespace pexilon::tool {

namespace {

void field(json_writer &out, std::string_view name, std::int64_t value)
{
    out.key(name);
    out.number(value);
}

void field(json_writer &out, std::string_view name, std::string_view text)
{
    out.key(name);
    out.string(text);
}

void name_or_null(json_writer &out, const char *name)
{
    if (name != nullptr)
        out.string(name);
    else
        out.null();
}

// A register number as a number, or as the dump's text of `digits` hex
// digits.
void register_number(json_writer &out, std::uint32_t value, bool hex, int digits)
{
    if (!hex) {
        out.number(value);
        return;
    }
    out.string(pexilon::hex_spelling(value, digits).c_str());
}

// The fields of a camera or control record, under their JSON names.
void write_members(json_writer &out, const void *record,
                   std::span<const pexilon::record_member> members)
{
    for (const pexilon::record_member &member : members) {
        if (member.form == pexilon::field_form::text)
            field(out, member.json_name, pexilon::text_of(record, member));
        else
            field(out, member.json_name, pexilon::number_of(record, member));
    }
}

void write_camera(json_writer &out, const camera_settings &camera)
{
    out.begin_object();
    write_members(out, &camera, pexilon::camera_members);
    out.end_object();
}

// The editor line of item `index` of a list the trace noted, or null.
void line_or_null(json_writer &out, const std::vector<std::size_t> &lines, std::size_t index)
{
    out.key("line");
    if (index < lines.size() && lines[index] != 0)
        out.number(static_cast<std::int64_t>(lines[index]));
    else
        out.null();
}

void write_entry(json_writer &out, const param_entry &entry, const std::vector<std::size_t> &lines,
                 std::size_t index, bool hex)
{
    // The upper 16 bits name the section (kind and variant), the lower the key.
    out.begin_object();
    const char *section =
        pexilon::lookup_name(pexilon::section_codes, pexilon::section_of(entry.type));
    out.key("section");
    name_or_null(out, section);
    out.key("header");
    if (section != nullptr)
        out.string(pexilon::header_text(section));
    else
        out.null();
    out.key("key");
    name_or_null(out, pexilon::lookup_name(pexilon::param_keys, pexilon::key_of(entry.type)));
    out.key("type");
    register_number(out, entry.type, hex, 8);
    out.key("values");
    out.begin_array();
    for (std::size_t i = 0; i < entry.value_count && i < std::size(entry.values); ++i)
        register_number(out, entry.values[i], hex, 4);
    out.end_array();
    line_or_null(out, lines, index);
    out.end_object();
}

void write_control(json_writer &out, const control_entry &control,
                   const std::vector<std::size_t> &lines, std::size_t index)
{
    out.begin_object();
    write_members(out, &control, pexilon::control_members);
    out.key("code");
    name_or_null(out, control.code);
    line_or_null(out, lines, index);
    out.end_object();
}

} // namespace

void write_record(json_writer &out, const loaded_config &file,
                  const pexilon::check::record_trace &trace, bool hex)
{
    const parsed_config &record = file.record();
    out.begin_object();
    field(out, "file", file.name());
    field(out, "result", file.result());
    out.key("error");
    if (file.ok())
        out.null();
    else
        out.string(file.error_text());
    if (file.result() < 0) {
        // Nothing was read: there is no record to show, not an empty one.
        for (const char *part : {"camera", "entries", "controls"}) {
            out.key(part);
            out.null();
        }
        out.end_object();
        return;
    }
    out.key("camera");
    write_camera(out, record.camera);
    out.key("entries");
    out.begin_array();
    for (std::uint32_t i = 0; i < record.param_count && record.params != nullptr; ++i)
        write_entry(out, record.params[i], trace.param_lines, i, hex);
    out.end_array();
    out.key("controls");
    out.begin_array();
    for (std::uint32_t i = 0; i < record.control_count && record.controls != nullptr; ++i)
        write_control(out, record.controls[i], trace.control_lines, i);
    out.end_array();
    out.end_object();
}

} // namespace pexilon::tool
