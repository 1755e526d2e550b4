// One run of the library's reader and interpreter over a text with sinks
// attached, collecting diagnostics and, on request, an account of each line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/diagnostic.h"
#include "check/explained_lines.h"
#include "config/line_accounts.h"
#include "config/parse_config.h"
#include "config/record_changes.h"
#include "pexilon/config_check.h"
#include "reader/line_map.h"
#include "reader/parse_outcome.h"
#include "reader/reader_sink.h"

namespace pexilon::check {

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
    std::vector<diagnostic> diagnostics;  // in the order they were found
    std::vector<explained_line> accounts; // filled when asked for
};

// `map` is the line_map of `text`. `also`, when given, hears every line's
// account after the rules, from the same parse.
rule_pass_result run_rule_pass(std::string_view text, const line_map &map, bool with_accounts,
                               account_listener *also = nullptr);

} // namespace pexilon::check
