// The fix-it rule: a fix-it is offered only when, made alone and made with
// the others, it adds no diagnostic at any line (counted by line and kind,
// so that a warning it removes cannot hide one of the same kind it draws
// elsewhere), moves no faulty line, and changes nothing in the record,
// field by field, beyond what it announces.
//
// Judging each fix-it by a check of the text made with it alone costs a
// check per fix-it. Fix-its whose effect stays within a part of the record
// that no other touches (the camera, one control, one entry or one line)
// are judged instead in groups, one of each part, a check per group; a
// group that breaks the rule is split until the fix-its that break it stand
// alone. A fix-it whose effect reaches further (a section read anew, a code
// block, a line that leaves the one above) is judged alone.
#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string_view>
#include <vector>

#include "check/fixits.h"
#include "check/record_trace.h"
#include "check/rule_pass.h"

namespace pexilon::check {

using place_kind = std::pair<std::size_t, diag_id>;

// What a check of a text found, as the rule compares it: diagnostics by
// editor line and kind, the fault and its editor line, and the record.
struct reading {
    std::map<place_kind, std::size_t> found;
    fault kind = fault::none;
    std::size_t fault_line = 0;
    std::size_t lines = 0; // editor lines
    held_record record;
};

reading read_of(const line_map &map, rule_pass_result &run); // takes run.record
reading read_text(std::string_view text);

std::size_t count_at(const reading &r, const place_kind &key);

// True when a fix removed the fault `before` reports, and `after` reports
// the next fault `before` had (or none).
bool fault_removed(const reading &before, const reading &after);

// True when `after` draws nothing at any line that `before` has not there,
// reports the same fault at the same line (or the next, as fault_removed
// says), and, with the fault kept, its record differs from `before`'s only as
// `changes` announce.
bool keeps_rule(const reading &before, const reading &after,
                std::span<const record_change> changes);

// The record changes of `fix`es, placed in the record `trace` describes.
void place_changes(const record_trace &trace, fix_it &fix);

// Which of `groups` (each a diagnostic's edits, in order) can be made
// together and keep the rule against `before`, the reading of `text`: all
// of them when they can, otherwise the later of two that clash is left out.
// `spent` counts the bytes read again, up to `budget`.
std::vector<bool> made_together(std::string_view text, const reading &before,
                                const std::vector<fix_group> &groups, std::size_t &spent,
                                std::size_t budget);

// Keeps the fix-its of `run` (a check of `text`) that keep the rule, within
// a budget of bytes read again; a fix-it not tried is not offered.
void keep_sound_fixes(std::string_view text, const line_map &map, rule_pass_result &run);

} // namespace pexilon::check
