#include "format/formatter.h"

#include "check/checker.h"
#include "check/line_rules.h"

namespace pexilon::format {

namespace {

std::string result_words(int line, int kind)
{
    if (line == 0)
        return "0 (no fault)";
    return std::to_string(line) + " (" + std::string(fault_words(kind)) + ")";
}

// The document of `text`, from the parse of the check that finds on which
// editor lines (0-based, in `warned`) a diagnostic is drawn.
text_reading read_and_check(std::string_view text, std::vector<bool> &warned)
{
    std::vector<std::size_t> lines;
    text_reading reading =
        read_for_format(text, [&](std::string_view all, const line_map &map,
                                  account_listener &builder, parsed_config &record) {
            check::shared_check found = check::check_sharing(all, map, builder, record);
            lines = std::move(found.warned_lines);
            return found.report;
        });
    warned.assign(reading.lines.size(), false);
    for (const std::size_t line : lines)
        if (line > 0 && line <= warned.size())
            warned[line - 1] = true;
    return reading;
}

} // namespace

format_result compare_readings(const text_reading &before, const text_reading &after)
{
    format_result refused;
    if (before.parse_result != after.parse_result || before.result_kind != after.result_kind) {
        refused.reason = "the parse result would change from " +
                         result_words(before.parse_result, before.result_kind) + " to " +
                         result_words(after.parse_result, after.result_kind);
        refused.line = static_cast<std::size_t>(before.parse_result);
        return refused;
    }
    const std::string difference = record_difference(before.record(), after.record());
    if (!difference.empty()) {
        refused.reason = "the record would change: " + difference + " differs";
        return refused;
    }
    for (std::size_t i = 0; i < before.faults.size() || i < after.faults.size(); ++i) {
        if (i >= after.faults.size() || i >= before.faults.size() ||
            !(before.faults[i] == after.faults[i])) {
            const fault_mark &at = i < before.faults.size() ? before.faults[i] : after.faults[i];
            refused.reason = "the fault of line " + std::to_string(at.editor_line) + " (" +
                             std::string(fault_words(at.kind)) + ") would not stay where it is";
            refused.line = at.editor_line;
            return refused;
        }
    }
    refused.formatted = true;
    return refused;
}

format_result format_text(std::string_view text, const format_options &options, bool line_starts)
{
    // The reader takes such a file for one line, so it has no layout to
    // lay out, and its CRs are the author's line ends, which are kept.
    if (check::lines_end_in_cr_alone(text)) {
        format_result kept;
        kept.formatted = true;
        kept.text = text;
        return kept;
    }
    std::vector<bool> warned;
    const text_reading before = read_and_check(text, warned);
    std::vector<std::size_t> starts;
    std::string laid = lay_out(text, before, options, warned, line_starts ? &starts : nullptr);
    const text_reading after = read_for_format(laid, false);
    format_result result = compare_readings(before, after);
    if (result.formatted) {
        result.text = std::move(laid);
        result.line_starts = std::move(starts);
    }
    return result;
}

} // namespace pexilon::format
