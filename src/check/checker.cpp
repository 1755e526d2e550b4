#include "check/checker.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "check/fix_judging.h"
#include "check/rule_pass.h"
#include "check/suppressions.h"
#include "input/input_reading.h"
#include "reader/line_map.h"
#include "support/character_columns.h"

namespace pexilon::check {

namespace {

struct editor_place {
    std::size_t line = 0;
    std::size_t column = 0;
    std::size_t end_column = 0;
};

editor_place placed(const line_map &map, const place &where)
{
    editor_place out;
    out.line = map.editor_line(where.reader_line);
    if (!where.whole_line) {
        out.column = map.column(where.reader_line, where.span.begin);
        out.end_column = map.column(where.reader_line, where.span.end);
        if (out.end_column <= out.column)
            out.end_column = out.column + 1;
    }
    return out;
}

fix_it placed_fix(const line_map &map, const raw_fix &f)
{
    fix_it out;
    out.line = map.editor_line(f.where.reader_line);
    out.column = map.column(f.where.reader_line, f.where.span.begin);
    out.end_column = map.column(f.where.reader_line, f.where.span.end);
    out.replacement = f.replacement;
    out.change = f.change;
    out.record = f.record;
    return out;
}

// The character columns of the diagnostic's places, its notes' and its
// fixes', each on its own line. `columns` goes on along the diagnostics'
// lines, in order; places on other lines are counted apart, so that they
// do not make it start a long line again.
void count_characters(const line_map &map, character_columns &columns, diagnostic &d)
{
    d.display_column = columns(d.source, d.column);
    d.display_end_column = columns(d.source, d.end_column);
    const auto count = [&](std::size_t line, std::size_t column) {
        if (column == 0 || line == 0)
            return column;
        if (line == d.line)
            return columns(d.source, column);
        return character_columns()(map.line_text(line), column);
    };
    for (note &n : d.notes) {
        n.display_column = count(n.line, n.column);
        n.display_end_column = count(n.line, n.end_column);
    }
    for (fix_it &f : d.fixes) {
        f.display_column = count(f.line, f.column);
        f.display_end_column = count(f.line, f.end_column);
    }
}

diagnostic to_diagnostic(const line_map &map, character_columns &columns, raw_diagnostic &raw)
{
    diagnostic d;
    d.id = raw.id;
    d.severity = kind_of(raw.id).severity;
    d.name = kind_of(raw.id).name;
    d.message = std::move(raw.message);
    d.hint = std::move(raw.hint);
    const editor_place where = placed(map, raw.where);
    d.line = where.line;
    d.column = where.column;
    d.end_column = where.end_column;
    d.reader_line = raw.where.reader_line;
    d.source = map.line_text(d.line);
    for (raw_note &n : raw.notes) {
        const editor_place at = placed(map, n.where);
        d.notes.push_back({at.line, at.column, at.end_column, std::move(n.message)});
    }
    for (raw_fix &f : raw.fixes)
        d.fixes.push_back(placed_fix(map, f));
    count_characters(map, columns, d);
    return d;
}

// A fix that edits another line than its diagnostic's, a line whose warning
// a directive turned off, is not offered: made, it would leave the directive
// turning nothing off. `warned` holds the reader line of each diagnostic
// before the directives were applied.
void keep_fixes_off_silenced_lines(std::vector<std::size_t> warned,
                                   std::vector<raw_diagnostic> &found)
{
    std::vector<std::size_t> kept;
    kept.reserve(found.size());
    for (const raw_diagnostic &d : found)
        kept.push_back(d.where.reader_line);
    std::sort(warned.begin(), warned.end());
    std::sort(kept.begin(), kept.end());
    std::vector<std::size_t> silenced;
    std::set_difference(warned.begin(), warned.end(), kept.begin(), kept.end(),
                        std::back_inserter(silenced));
    if (silenced.empty())
        return;
    for (raw_diagnostic &d : found) {
        const bool across = std::any_of(d.fixes.begin(), d.fixes.end(), [&](const raw_fix &f) {
            return f.where.reader_line != d.where.reader_line &&
                   std::binary_search(silenced.begin(), silenced.end(), f.where.reader_line);
        });
        if (across)
            d.fixes.clear();
    }
}

// Checks `all`, the bytes of an input; with `read_failed`, the input could
// not be read past them.
summary check_bytes(std::string_view all, bool read_failed, int os_error,
                    const diagnostic_callback &each, bool inline_config)
{
    summary result;
    const std::string_view text = input::readable_text(all, read_failed);
    const line_map map(text);
    rule_pass_result run = run_rule_pass(text, map, false);
    keep_sound_fixes(text, map, run);
    run.record = held_record(); // only the fixes' judging reads it
    if (inline_config) {
        std::vector<std::size_t> warned; // reader lines, once per warning
        warned.reserve(run.diagnostics.size());
        for (const raw_diagnostic &d : run.diagnostics)
            warned.push_back(d.where.reader_line);
        apply_directives(map, directives_of(text, map), run.diagnostics);
        keep_fixes_off_silenced_lines(std::move(warned), run.diagnostics);
    }
    const parse_outcome reported = input::reported_outcome(true, read_failed, os_error,
                                                           run.report.outcome, map.reader_lines());
    result.parse_result = reported.line;
    result.os_error = reported.os_error;
    if (read_failed) {
        if (reported.kind == fault::read_error)
            std::erase_if(run.diagnostics, [](const raw_diagnostic &d) {
                return d.id == diag_id::block_unterminated;
            });
        run.diagnostics.push_back(
            {diag_id::read_error,
             std::string("the file could not be read past this point: ") + std::strerror(os_error),
             "",
             {map.reader_lines() + 1, true, {}},
             {}});
    }
    std::stable_sort(run.diagnostics.begin(), run.diagnostics.end(),
                     [&](const raw_diagnostic &a, const raw_diagnostic &b) {
                         return map.editor_line(a.where.reader_line) <
                                map.editor_line(b.where.reader_line);
                     });
    character_columns columns;
    for (raw_diagnostic &raw : run.diagnostics) {
        const diagnostic d = to_diagnostic(map, columns, raw);
        if (d.severity == PEXILON_CHECK_ERROR)
            ++result.errors;
        else
            ++result.warnings;
        if (each && !each(d))
            break;
    }
    return result;
}

summary check_loaded(const input::loaded_input &input, const diagnostic_callback &each,
                     bool inline_config)
{
    if (!input.opened) {
        summary result;
        result.parse_result = -1;
        result.os_error = input.os_error;
        return result;
    }
    return check_bytes(input.bytes, input.read_failed, input.os_error, each, inline_config);
}

} // namespace

shared_check check_sharing(std::string_view text, const line_map &map, account_listener &also,
                           parsed_config &record)
{
    rule_pass_result run = run_rule_pass(text, map, false, &also);
    record = run.record.take();
    apply_directives(map, directives_of(text, map), run.diagnostics);
    shared_check out;
    out.report = run.report;
    for (const raw_diagnostic &d : run.diagnostics)
        out.warned_lines.push_back(map.editor_line(d.where.reader_line));
    std::sort(out.warned_lines.begin(), out.warned_lines.end());
    out.warned_lines.erase(std::unique(out.warned_lines.begin(), out.warned_lines.end()),
                           out.warned_lines.end());
    return out;
}

summary check_text(std::string_view text, const diagnostic_callback &each, bool inline_config)
{
    return check_bytes(text, false, 0, each, inline_config);
}

summary check_path(const char *path, const diagnostic_callback &each, bool inline_config)
{
    return check_loaded(input::read_path(path), each, inline_config);
}

summary check_stream(std::FILE *stream, const diagnostic_callback &each, bool inline_config)
{
    return check_loaded(input::read_stream(stream), each, inline_config);
}

} // namespace pexilon::check
