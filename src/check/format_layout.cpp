#include "check/format_layout.h"

#include <algorithm>
#include <vector>

namespace pexilon::check {

namespace {

// One line of the result.
struct laid_line {
    line_role role = line_role::kept;
    bool fixed = false; // a fault's line or before it: stays a line of its own
    std::string name;   // pair: the name, padded when aligned
    std::string rest;   // pair: the separator and the value; otherwise the whole text
    std::string remark; // pair: the inline comment, with the blanks before it
    std::string_view ending;
    std::size_t room = longest_whole_line; // bytes the line and its end may take
    std::string fallback;                  // the line's own text, trimmed at its end

    std::size_t size() const { return name.size() + rest.size() + remark.size() + ending.size(); }
};

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

// The pair's text from the separator on: " = value", and " ; comment" into
// `remark`.
std::string pair_rest(std::string_view text, const read_line &line, hex_case digits,
                      std::string &remark)
{
    const std::string value = tidy_value(
        text.substr(line.value_begin, line.value_end - line.value_begin), line.shape, digits);
    std::size_t comment = line.value_end;
    while (comment < line.content_end && is_white_byte(text[comment]))
        ++comment;
    const std::string_view comment_text =
        trim_end(text.substr(comment, line.content_end - comment));
    std::string rest = line.name_end > line.name_begin ? " =" : "=";
    if (!value.empty())
        rest += reads_as_comment(value) ? value : " " + value;
    if (!comment_text.empty())
        remark.assign(" ").append(comment_text);
    return rest;
}

laid_line lay_line(std::string_view text, const read_line &line, const format_options &options)
{
    laid_line out;
    out.role = line.role;
    const std::string_view content = text.substr(line.begin, line.content_end - line.begin);
    out.ending = text.substr(line.content_end, line.end - line.content_end);
    out.fallback = trim_end(content);
    switch (line.role) {
    case line_role::blank:
        break;
    case line_role::comment:
    case line_role::header:
        out.rest = trim_both(content);
        break;
    case line_role::pair:
        out.name = text.substr(line.name_begin, line.name_end - line.name_begin);
        out.rest = pair_rest(text, line, options.digits, out.remark);
        break;
    case line_role::continuation:
        out.rest = std::string(continuation_indent, ' ') +
                   tidy_value(text.substr(line.value_begin, line.value_end - line.value_begin),
                              line.shape, options.digits);
        break;
    case line_role::block:
    case line_role::faulty:
    case line_role::kept:
        // As it is, to the last byte: the ending is part of the text.
        out.rest = content;
        out.fallback = content;
        break;
    }
    return out;
}

// Blank lines: none at the start or the end, one for a run, and one before
// each header and the comments right above it. Lines up to `fixed_until`
// stay as they are.
std::vector<laid_line> space_out(std::vector<laid_line> lines, std::size_t fixed_until,
                                 std::string_view blank_ending)
{
    std::vector<laid_line> out;
    out.reserve(lines.size() + lines.size() / 4);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        laid_line &line = lines[i];
        line.fixed = i < fixed_until;
        if (line.role == line_role::blank && !line.fixed &&
            (out.empty() || out.back().role == line_role::blank))
            continue;
        if (line.role == line_role::header && !line.fixed) {
            std::size_t first = out.size();
            while (first > 0 && out[first - 1].role == line_role::comment && !out[first - 1].fixed)
                --first;
            if (first > 0 && out[first - 1].role != line_role::blank) {
                laid_line blank;
                blank.role = line_role::blank;
                blank.ending = line.ending.empty() ? blank_ending : line.ending;
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(first), std::move(blank));
            }
        }
        out.push_back(std::move(line));
    }
    while (!out.empty() && out.back().role == line_role::blank && !out.back().fixed)
        out.pop_back();
    return out;
}

// Pads the names of each section's pairs to the longest of them, then the
// values before inline comments so that the comments line up.
void align_pairs(std::vector<laid_line> &lines)
{
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t stop = start + 1;
        while (stop < lines.size() && lines[stop].role != line_role::header)
            ++stop;
        std::size_t width = 0;
        for (std::size_t i = start; i < stop; ++i)
            if (lines[i].role == line_role::pair && !lines[i].name.empty())
                width = std::max(width, lines[i].name.size());
        for (std::size_t i = start; i < stop; ++i) {
            laid_line &line = lines[i];
            if (line.role != line_role::pair || line.name.empty())
                continue;
            const std::size_t pad = width - line.name.size();
            if (line.size() + pad <= line.room)
                line.name.append(pad, ' ');
        }
        std::size_t column = 0;
        for (std::size_t i = start; i < stop; ++i)
            if (lines[i].role == line_role::pair && !lines[i].remark.empty())
                column = std::max(column, lines[i].name.size() + lines[i].rest.size());
        for (std::size_t i = start; i < stop; ++i) {
            laid_line &line = lines[i];
            if (line.role != line_role::pair || line.remark.empty())
                continue;
            const std::size_t pad = column - line.name.size() - line.rest.size();
            if (line.size() + pad <= line.room)
                line.remark.insert(0, pad, ' ');
        }
        start = stop;
    }
}

} // namespace

std::string lay_out(std::string_view text, const text_reading &reading,
                    const format_options &options)
{
    std::vector<laid_line> lines;
    lines.reserve(reading.lines.size());
    for (const read_line &line : reading.lines)
        lines.push_back(lay_line(text, line, options));

    std::size_t fixed_until = 0;
    for (const fault_mark &mark : reading.faults)
        fixed_until = std::max(fixed_until, mark.editor_line);
    fixed_until = std::min(fixed_until, lines.size());
    std::string_view blank_ending = "\n";
    for (const read_line &line : reading.lines) {
        if (line.end > line.content_end) {
            blank_ending = text.substr(line.content_end, line.end - line.content_end);
            break;
        }
    }
    lines = space_out(std::move(lines), fixed_until, blank_ending);
    if (!lines.empty())
        lines.front().room -= reading.bom;

    // A line the layout would make too long for the reader keeps its text.
    for (laid_line &line : lines) {
        if (line.size() > line.room) {
            line.name.clear();
            line.remark.clear();
            line.rest = line.fallback;
        }
    }
    if (options.align)
        align_pairs(lines);

    std::string out(text.substr(0, reading.bom));
    out.reserve(text.size() + text.size() / 8);
    for (const laid_line &line : lines)
        out.append(line.name).append(line.rest).append(line.remark).append(line.ending);
    return out;
}

} // namespace pexilon::check
