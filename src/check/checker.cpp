#include "check/checker.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "check/fix_judging.h"
#include "check/placement.h"
#include "check/rule_pass.h"
#include "check/suppressions.h"
#include "input/input_reading.h"
#include "reader/line_map.h"
#include "support/character_columns.h"

namespace pexilon::check {

namespace {

// A fix that edits another line than its diagnostic's, a line whose warning
// a directive turned off, is not offered: made, it would leave the directive
// turning nothing off. `warned` holds the reader line of each diagnostic
// before the directives were applied.
void keep_fixes_off_silenced_lines(std::vector<std::size_t> warned, diagnostic_list &found)
{
    std::vector<std::size_t> kept;
    kept.reserve(found.size());
    for (const diagnostic &d : found)
        kept.push_back(d.where.reader_line);
    std::sort(warned.begin(), warned.end());
    std::sort(kept.begin(), kept.end());
    std::vector<std::size_t> silenced;
    std::set_difference(warned.begin(), warned.end(), kept.begin(), kept.end(),
                        std::back_inserter(silenced));
    if (silenced.empty())
        return;
    for (diagnostic &d : found) {
        const bool across = std::any_of(d.fixes.begin(), d.fixes.end(), [&](const fix_it &f) {
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
        for (const diagnostic &d : run.diagnostics)
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
            std::erase_if(run.diagnostics,
                          [](const diagnostic &d) { return d.id == diag_id::block_unterminated; });
        run.diagnostics.push_back(
            {diag_id::read_error,
             std::string("the file could not be read past this point: ") + std::strerror(os_error),
             "",
             {map.reader_lines() + 1, true, {}},
             {}});
    }
    // Found in line order as a rule, so mostly nothing moves; a sort that
    // had to would take a buffer of half the list.
    const auto by_line = [&](const diagnostic &a, const diagnostic &b) {
        return map.editor_line(a.where.reader_line) < map.editor_line(b.where.reader_line);
    };
    if (!std::is_sorted(run.diagnostics.begin(), run.diagnostics.end(), by_line))
        std::stable_sort(run.diagnostics.begin(), run.diagnostics.end(), by_line);
    character_columns columns;
    for (diagnostic &d : run.diagnostics) {
        place_for_editors(map, columns, d);
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
    for (const diagnostic &d : run.diagnostics)
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
