// The text form of a diff: one line per change, grouped under headings,
// with the line of each side as FILE:LINE.
#include <cstdio>
#include <string>

#include "diff/diff_output.h"
#include "shown_name.h"

namespace pexilon::tool {

namespace {

// "FILE:LINE", or "FILE" when the line is not known (a camera field the
// file does not name).
std::string place(const compared_file &side, std::size_t line)
{
    std::string text = shown_name(side.file.name());
    return line != 0 ? text + ":" + std::to_string(line) : text;
}

// Texts are quoted, so that an empty one shows; they hold the file's bytes,
// whose control characters would break the one-change-per-line layout.
std::string shown_value(const field_value &value)
{
    return value.is_text ? "\"" + shown_name(value.shown) + "\"" : value.shown;
}

const char *kind_word(change_kind kind)
{
    switch (kind) {
    case change_kind::added:
        return "added  ";
    case change_kind::removed:
        return "removed";
    case change_kind::changed:
        break;
    }
    return "changed";
}

void write_camera(const record_diff &diff, const compared_file &a, const compared_file &b)
{
    if (diff.camera.empty())
        return;
    std::printf("camera:\n");
    for (const camera_change &change : diff.camera)
        std::printf("  changed %s: %s -> %s (%s, %s)\n", change.values.field.c_str(),
                    shown_value(change.values.a).c_str(), shown_value(change.values.b).c_str(),
                    place(a, a.trace.camera_lines[change.field]).c_str(),
                    place(b, b.trace.camera_lines[change.field]).c_str());
}

std::size_t line_of(const std::vector<std::size_t> &lines, std::size_t index)
{
    return index < lines.size() ? lines[index] : 0;
}

void write_entries(const record_diff &diff, const compared_file &a, const compared_file &b)
{
    const parsed_config &ra = a.file.record(), &rb = b.file.record();
    bool first = true;
    std::uint32_t group = 0;
    for (const entry_change &change : diff.entries) {
        if (first || change.group != group) {
            std::printf("%s:\n", group_text(change.group).c_str());
            group = change.group;
            first = false;
        }
        const std::string where_a = place(a, line_of(a.trace.param_lines, change.a_index));
        const std::string where_b = place(b, line_of(b.trace.param_lines, change.b_index));
        if (change.kind == change_kind::changed)
            std::printf(
                "  changed %s -> %s (%s, %s)\n", entry_text(ra.params[change.a_index]).c_str(),
                entry_text(rb.params[change.b_index]).c_str(), where_a.c_str(), where_b.c_str());
        else if (change.kind == change_kind::removed)
            std::printf("  removed %s (%s)\n", entry_text(ra.params[change.a_index]).c_str(),
                        where_a.c_str());
        else
            std::printf("  added   %s (%s)\n", entry_text(rb.params[change.b_index]).c_str(),
                        where_b.c_str());
    }
}

void write_control(const control_change &change, const compared_file &a, const compared_file &b)
{
    const bool has_a = change.kind != change_kind::added;
    const bool has_b = change.kind != change_kind::removed;
    const control_entry &named =
        has_a ? a.file.record().controls[change.a_index] : b.file.record().controls[change.b_index];
    std::string where;
    if (has_a)
        where = place(a, line_of(a.trace.control_lines, change.a_index));
    if (has_b)
        where += (has_a ? ", " : "") + place(b, line_of(b.trace.control_lines, change.b_index));
    std::printf("  %s \"%s\" (%s)\n", kind_word(change.kind), shown_name(named.ctrl_name).c_str(),
                where.c_str());
    for (const field_change &field : change.fields)
        std::printf("    %s: %s -> %s\n", field.field.c_str(), shown_value(field.a).c_str(),
                    shown_value(field.b).c_str());
    if (change.code_diff.empty())
        return;
    std::printf("    code:\n");
    for (const std::string &line : change.code_diff)
        std::printf("      %s\n", shown_text(line).c_str());
}

} // namespace

void write_diff_text(const record_diff &diff, const compared_file &a, const compared_file &b)
{
    if (diff.same())
        return;
    std::printf("--- %s\n+++ %s\n", shown_name(a.file.name()).c_str(),
                shown_name(b.file.name()).c_str());
    write_camera(diff, a, b);
    write_entries(diff, a, b);
    if (diff.controls.empty())
        return;
    std::printf("controls:\n");
    for (const control_change &change : diff.controls)
        write_control(change, a, b);
}

} // namespace pexilon::tool
