// One run of the library's reader and interpreter over a text with sinks
// attached, collecting diagnostics and, on request, an account of each line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/diagnostic_kinds.h"
#include "check/explained_lines.h"
#include "config/line_accounts.h"
#include "config/parse_config.h"
#include "config/record_changes.h"
#include "pexilon/config_check.h"
#include "reader/line_map.h"
#include "reader/parse_outcome.h"
#include "reader/reader_sink.h"

namespace pexilon::check {

// A place on one reader line: a byte range within it, or the whole line.
struct place {
    std::size_t reader_line = 0;
    bool whole_line = true;
    text_span span;
};

struct raw_note {
    place where;
    std::string message;
};

// A repair the checker is sure of: `where` (a byte range of one reader
// line, empty to insert) becomes `replacement`; `change` says what that does
// to the record, and `record` the same in the record's parts, for the
// checker to hold it to (none: the record stays as it is).
struct raw_fix {
    place where;
    std::string replacement;
    std::string change;
    std::vector<record_change> record{};
};

struct raw_diagnostic {
    raw_diagnostic(diag_id kind, std::string words, std::string hint_words = {}, place at = {},
                   std::vector<raw_note> related = {}, std::vector<raw_fix> repairs = {})
        : id(kind), severity(kind_of(kind).severity), name(kind_of(kind).name),
          message(std::move(words)), hint(std::move(hint_words)), where(at),
          notes(std::move(related)), fixes(std::move(repairs))
    {
    }

    // One on the line being judged, bytes `begin` to `end` of it: the
    // listener sets its reader line, and its fixes', as it is added.
    raw_diagnostic(diag_id kind, std::string words, std::size_t begin, std::size_t end,
                   std::string hint_words = {})
        : raw_diagnostic(kind, std::move(words), std::move(hint_words), {0, false, {begin, end}})
    {
    }

    diag_id id;
    // Taken from the registry's row of `id`, for the passes after the run.
    pexilon_check_severity severity;
    std::string_view name;
    std::string message;
    std::string hint;
    place where;
    std::vector<raw_note> notes;
    std::vector<raw_fix> fixes;
};

// A record that releases what the library handed out when it goes.
class held_record {
public:
    held_record() = default;
    explicit held_record(parsed_config &taken) noexcept : record_(taken) { taken = {}; }
    held_record(held_record &&other) noexcept : record_(other.record_) { other.record_ = {}; }
    held_record &operator=(held_record &&other) noexcept;
    held_record(const held_record &) = delete;
    held_record &operator=(const held_record &) = delete;
    ~held_record();
    const parsed_config &get() const noexcept { return record_; }
    // Hands the record over: the holder keeps nothing to release.
    parsed_config take() noexcept { return std::exchange(record_, {}); }

private:
    parsed_config record_{};
};

struct rule_pass_result {
    config_report report;
    held_record record;
    std::vector<raw_diagnostic> diagnostics; // in the order they were found
    std::vector<explained_line> accounts;    // filled when asked for
};

// `map` is the line_map of `text`. `also`, when given, hears every line's
// account after the rules, from the same parse.
rule_pass_result run_rule_pass(std::string_view text, const line_map &map, bool with_accounts,
                               account_listener *also = nullptr);

} // namespace pexilon::check
