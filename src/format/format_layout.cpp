#include "format/format_layout.h"

#include <algorithm>
#include <vector>

#include "format/format_hand_columns.h"
#include "format/laid_line.h"
#include "reader/byte_order_mark.h"

namespace pexilon::format {

namespace {

std::string_view trim_end(std::string_view text)
{
    while (!text.empty() && is_white_byte(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view trim_both(std::string_view text)
{
    text = trim_end(text);
    while (!text.empty() && is_white_byte(text.front()))
        text.remove_prefix(1);
    return text;
}

// A value that begins like a comment is glued to its separator: a blank
// before it would make it one.
bool reads_as_comment(std::string_view value)
{
    return value.starts_with(';') || value.starts_with("//");
}

std::string_view span(std::string_view text, std::size_t begin, std::size_t end)
{
    return text.substr(begin, end - begin);
}

void lay_pair(std::string_view text, const read_line &line, hex_case digits, char separator,
              laid_line &out)
{
    out.laid = true;
    out.name = span(text, line.name_begin, line.name_end);
    // Respelling keeps a value's first byte, and an empty value empty.
    const std::string_view value = span(text, line.value_begin, line.value_end);
    out.rest.reserve(3 + value.size() + value.size() / 2);
    if (!out.name.empty())
        out.rest += ' ';
    out.rest += separator;
    if (!value.empty()) {
        if (!reads_as_comment(value))
            out.rest += ' ';
        out.value_at = out.rest.size();
        append_tidy_value(out.rest, value, line.shape, digits);
    }
    std::size_t comment = line.value_end;
    while (comment < line.content_end && is_white_byte(text[comment]))
        ++comment;
    out.remark = trim_end(span(text, comment, line.content_end));
}

laid_line lay_line(std::string_view text, const read_line &line, const format_options &options,
                   const hand_columns &kept)
{
    laid_line out;
    out.role = line.role;
    const std::string_view content = span(text, line.begin, line.content_end);
    out.ending = span(text, line.content_end, line.end);
    out.fallback = trim_end(content);
    switch (line.role) {
    case line_role::blank:
        break;
    case line_role::comment:
    case line_role::header:
        out.plain = trim_both(content);
        break;
    case line_role::pair:
        lay_pair(text, line, options.digits, kept.colon ? ':' : '=', out);
        break;
    case line_role::continuation:
        out.laid = true;
        out.rest.assign(continuation_indent, ' ');
        out.value_at = continuation_indent;
        out.under_value = kept.under_value;
        append_tidy_value(out.rest, span(text, line.value_begin, line.value_end), line.shape,
                          options.digits);
        break;
    case line_role::block:
    case line_role::faulty:
    case line_role::kept:
        // As it is, to the last byte.
        out.plain = content;
        out.fallback = content;
        break;
    }
    return out;
}

// A line that draws a diagnostic stays to the last byte, its indentation
// too: laid out, an indented REG below a REG would read as an intended
// continuation. As `kept`, no blank line is added before it nor taken.
void keep_as_written(std::string_view text, const read_line &line, laid_line &out)
{
    out = laid_line{};
    out.role = line_role::kept;
    out.plain = span(text, line.begin, line.content_end);
    out.fallback = out.plain;
    out.ending = span(text, line.content_end, line.end);
}

// The "=" and comment columns a section's author lined up stay. A comment
// whose respelled value reaches past its column moves the section's column
// with it, so that the section stays aligned and a second run keeps it.
void keep_hand_columns(std::vector<laid_line> &lines, const text_reading &reading,
                       const std::vector<hand_columns> &kept)
{
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t stop = start + 1;
        while (stop < lines.size() && reading.lines[stop].role != line_role::header)
            ++stop;
        std::size_t column = 0;
        for (std::size_t i = start; i < stop; ++i) {
            laid_line &line = lines[i];
            if (line.role != line_role::pair || !line.laid)
                continue;
            if (kept[i].separator > line.name.size())
                line.name_pad = kept[i].separator - 1 - line.name.size();
            if (kept[i].remark != 0 && !line.remark.empty())
                column = std::max({column, kept[i].remark,
                                   line.name.size() + line.name_pad + line.rest.size() + 1});
        }
        for (std::size_t i = start; i < stop; ++i) {
            laid_line &line = lines[i];
            if (column != 0 && line.role == line_role::pair && line.laid && kept[i].remark != 0 &&
                !line.remark.empty())
                line.remark_pad = column - 1 - line.name.size() - line.name_pad - line.rest.size();
        }
        start = stop;
    }
}

// The lines (0-based) before which no line is added or removed: up to the
// last fault's, so that every fault keeps its line.
std::size_t lines_kept_in_place(std::string_view text, const text_reading &reading,
                                const std::vector<laid_line> &lines)
{
    std::size_t fixed_until = 0;
    for (const fault_mark &mark : reading.faults)
        fixed_until = std::max(fixed_until, mark.editor_line);
    fixed_until = std::min(fixed_until, lines.size());
    // Blank lines before a line that begins with the bytes of a byte-order
    // mark stay: as the first line it would lose them to the reader.
    if (reading.bom == 0) {
        std::size_t first = 0;
        while (first < lines.size() && lines[first].role == line_role::blank)
            ++first;
        if (first < lines.size() &&
            text.substr(reading.lines[first].begin).starts_with(byte_order_mark))
            fixed_until = std::max(fixed_until, first);
    }
    return fixed_until;
}

// The laid lines written out after the text's byte-order mark; with
// `line_starts`, where each editor line's text starts (lay_out).
std::string written(std::string_view text, const text_reading &reading,
                    const std::vector<laid_line> &lines, std::string_view blank_ending,
                    std::vector<std::size_t> *line_starts)
{
    std::string out(text.substr(0, reading.bom));
    out.reserve(text.size() + text.size() / 8);
    // A line the spacing dropped starts where the next one kept does, and
    // so became nothing.
    const auto start_lines_to = [&](std::size_t end) {
        while (line_starts != nullptr && line_starts->size() < end)
            line_starts->push_back(line_starts->empty() ? 0 : out.size());
    };
    if (line_starts != nullptr)
        line_starts->reserve(reading.lines.size());
    for (const laid_line &line : lines) {
        start_lines_to(line.source + 1);
        line.write(out);
    }
    start_lines_to(reading.lines.size());
    // With the blank lines gone, a file whose one remaining line holds a CR
    // would have no LF left, and the checker would rightly take it for a file
    // of CR line ends: its last line keeps a line end. A line of 199 bytes
    // has no room for one (the reader would take the end for a line of its
    // own), and then the text stays as it is.
    if (text.find('\n') != std::string_view::npos && out.find('\n') == std::string::npos &&
        out.find('\r') != std::string::npos) {
        if (lines.empty() || lines.back().size() + blank_ending.size() > lines.back().room) {
            if (line_starts != nullptr)
                line_starts->clear();
            return std::string(text);
        }
        out.append(blank_ending);
    }
    return out;
}

} // namespace

std::string lay_out(std::string_view text, const text_reading &reading,
                    const format_options &options, const std::vector<bool> &as_written,
                    std::vector<std::size_t> *line_starts)
{
    const std::vector<hand_columns> kept = kept_hand_columns(text, reading, as_written);
    std::vector<laid_line> lines;
    lines.reserve(reading.lines.size());
    for (const read_line &line : reading.lines) {
        const std::size_t index = lines.size();
        lines.push_back(lay_line(text, line, options, kept[index]));
        laid_line &laid = lines.back();
        laid.source = index;
        if (index < as_written.size() && as_written[index])
            keep_as_written(text, line, laid);
        laid.read_as = line.role;
        if (line.role == line_role::pair)
            laid.own_value_column = line.value_begin - line.begin;
    }
    // Lined up, a section takes its columns from its names alone: the ones
    // its author lined up would count in whether a line still fits, and a
    // second run, which finds the first one's columns, would decide
    // otherwise.
    if (!options.align)
        keep_hand_columns(lines, reading, kept);

    const std::size_t fixed_until = lines_kept_in_place(text, reading, lines);
    std::string_view blank_ending = "\n";
    for (const read_line &line : reading.lines) {
        if (line.end > line.content_end) {
            blank_ending = span(text, line.content_end, line.end);
            break;
        }
    }
    space_out(lines, fixed_until, blank_ending);
    if (!lines.empty())
        lines.front().room -= reading.bom;

    // A line the layout would make too long for the reader keeps its text.
    for (laid_line &line : lines)
        if (line.size() > line.room)
            line.fall_back();
    if (options.align)
        align_pairs(lines);
    place_continuations(lines);

    return written(text, reading, lines, blank_ending, line_starts);
}

} // namespace pexilon::format
