// The JSON form of a diff, written as it goes.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "config/code_tables.h"
#include "diff/diff_output.h"
#include "json_writer.h"
#include "support/hex_text.h"

namespace pexilon::tool {

namespace {

const char *kind_name(change_kind kind)
{
    switch (kind) {
    case change_kind::added:
        return "added";
    case change_kind::removed:
        return "removed";
    case change_kind::changed:
        break;
    }
    return "changed";
}

void value(json_writer &out, const field_value &v)
{
    if (v.is_number && v.shown.rfind("0x", 0) != 0)
        out.number(v.number);
    else
        out.string(v.shown);
}

void line(json_writer &out, std::size_t number)
{
    if (number != 0)
        out.number(static_cast<std::int64_t>(number));
    else
        out.null();
}

std::size_t line_of(const std::vector<std::size_t> &lines, std::size_t index)
{
    return index < lines.size() ? lines[index] : 0;
}

void write_camera(json_writer &out, const record_diff &diff, const compared_file &a,
                  const compared_file &b)
{
    out.key("camera");
    out.begin_array();
    for (const camera_change &change : diff.camera) {
        out.begin_object();
        out.key("field");
        out.string(change.values.field);
        out.key("a");
        value(out, change.values.a);
        out.key("b");
        value(out, change.values.b);
        out.key("a_line");
        line(out, a.trace.camera_lines[change.field]);
        out.key("b_line");
        line(out, b.trace.camera_lines[change.field]);
        out.end_object();
    }
    out.end_array();
}

void write_entry_side(json_writer &out, const char *side, const compared_file &file,
                      std::size_t index)
{
    const param_entry &entry = file.file.record().params[index];
    out.key(side);
    out.begin_object();
    out.key("index");
    out.number(static_cast<std::int64_t>(index));
    out.key("line");
    line(out, line_of(file.trace.param_lines, index));
    out.key("key");
    const char *key = pexilon::lookup_name(pexilon::param_keys, pexilon::key_of(entry.type));
    if (key != nullptr)
        out.string(key);
    else
        out.null();
    out.key("values");
    out.begin_array();
    for (std::size_t v = 0; v < entry.value_count && v < std::size(entry.values); ++v)
        out.string(pexilon::hex_spelling(static_cast<unsigned>(entry.values[v]), 4).c_str());
    out.end_array();
    out.end_object();
}

void write_entries(json_writer &out, const record_diff &diff, const compared_file &a,
                   const compared_file &b)
{
    out.key("entries");
    out.begin_array();
    for (const entry_change &change : diff.entries) {
        const pexilon::hex_text group =
            pexilon::hex_spelling(static_cast<unsigned>(change.group), 4);
        out.begin_object();
        out.key("change");
        out.string(kind_name(change.kind));
        out.key("section");
        out.string(group_text(change.group));
        out.key("group");
        out.string(group.c_str());
        if (change.kind != change_kind::added)
            write_entry_side(out, "a", a, change.a_index);
        if (change.kind != change_kind::removed)
            write_entry_side(out, "b", b, change.b_index);
        out.end_object();
    }
    out.end_array();
}

void write_control_side(json_writer &out, const char *side, const compared_file &file,
                        std::size_t index)
{
    const control_entry &control = file.file.record().controls[index];
    out.key(side);
    out.begin_object();
    out.key("index");
    out.number(static_cast<std::int64_t>(index));
    out.key("line");
    line(out, line_of(file.trace.control_lines, index));
    out.key("ctrl_name");
    out.string(
        std::string(control.ctrl_name, strnlen(control.ctrl_name, sizeof control.ctrl_name)));
    out.end_object();
}

void write_controls(json_writer &out, const record_diff &diff, const compared_file &a,
                    const compared_file &b)
{
    out.key("controls");
    out.begin_array();
    for (const control_change &change : diff.controls) {
        out.begin_object();
        out.key("change");
        out.string(kind_name(change.kind));
        if (change.kind != change_kind::added)
            write_control_side(out, "a", a, change.a_index);
        if (change.kind != change_kind::removed)
            write_control_side(out, "b", b, change.b_index);
        out.key("fields");
        out.begin_array();
        for (const field_change &field : change.fields) {
            out.begin_object();
            out.key("field");
            out.string(field.field);
            out.key("a");
            value(out, field.a);
            out.key("b");
            value(out, field.b);
            out.end_object();
        }
        out.end_array();
        out.key("code_diff");
        out.begin_array();
        for (const std::string &text : change.code_diff)
            out.string(text);
        out.end_array();
        out.end_object();
    }
    out.end_array();
}

} // namespace

void write_diff_json(const record_diff &diff, const compared_file &a, const compared_file &b)
{
    json_writer out(stdout, false);
    out.begin_object();
    out.key("a");
    out.string(a.file.name());
    out.key("b");
    out.string(b.file.name());
    out.key("same");
    out.boolean(diff.same());
    write_camera(out, diff, a, b);
    write_entries(out, diff, a, b);
    write_controls(out, diff, a, b);
    out.end_object();
    out.finish();
}

} // namespace pexilon::tool
