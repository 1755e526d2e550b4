// The repairs the checker offers with a diagnostic, and only where the
// repair is certain: where two repairs are plausible it offers none and
// the hint stays.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "check/checker.h"
#include "check/rule_pass.h"
#include "config/vocabulary.h"

namespace pexilon::check {

// The words of a fix-it that leaves the record as it is, written once for
// every form that shows them (check's text, SARIF and GitHub forms, the
// language server's quick fixes, the C and Python hosts): "record
// unchanged: camera.bit_width keeps 10". `keeps` says what each field keeps.
inline constexpr std::string_view record_unchanged_words = "record unchanged: ";
inline std::string record_unchanged(std::string_view keeps)
{
    return std::string(record_unchanged_words) + std::string(keeps);
}

// What a line of key `key` in section `section` does to the record once it
// is read: sets the key's fields, or adds an entry (`added`) or gives the
// entry other values.
record_change key_change(const key_row &key, std::uint32_t section, bool added);

// A misspelt name at `where` with exactly one near candidate: the name
// becomes that candidate. None when no candidate or several are as near.
std::vector<fix_it> rename_fix(place where, std::string_view written,
                               const std::vector<std::string> &candidates,
                               const std::string &change_prefix);

// An unknown section `section` (groups joined by "||") at `where`, the
// text between the header's brackets, with exactly one near known section.
std::vector<fix_it> section_fix(place where, std::string_view section,
                                const std::vector<std::string> &known);

// The text after a number, "ms" in "5ms": letters only after a decimal
// number, a unit the reader drops. `copy` is the item, `taken` the bytes
// read as the number.
bool is_unit_suffix(std::string_view copy, std::size_t taken);

// "640 480" read as one number: the numbers joined with ", " when the item
// holds nothing but whole numbers separated by white space; else empty.
// `count` gets how many numbers it holds.
std::string with_commas(std::string_view item, std::size_t &count);

// The indentation, the first `indent` bytes of reader line `line`, taken
// away so that the line reads as one of its own.
// The key of section `section` that `pair` ("NAME = value") names, or null.
const key_row *own_key(std::uint32_t section, std::string_view pair);

// `continued` is the key of the line above, `own` the key the line has once
// it stands alone (null when it has none in `section`).
fix_it unindent_fix(std::size_t line, std::size_t indent, const key_row &continued,
                    const key_row *own, std::uint32_t section);

// What the lines of a section named `section` (groups joined by "||") give
// the record once they are read into it, or moved to it from a section of
// the same kind.
record_change section_lines(std::string_view section);

// The edits of one diagnostic: made together, or not at all.
using fix_group = std::vector<fix_it>;

// `text` with every group of `groups` made. Groups are taken in the order of
// their first edits; a group with an edit that overlaps an edit taken before
// it, or starts where one starts (so that no edit is made twice), is left
// out whole. Lines are editor lines. `made`, when given, gets how many
// groups were made; `taken`, when given, whether each group was.
std::string apply_fixes(std::string_view text, const std::vector<fix_group> &groups,
                        std::size_t *made = nullptr, std::vector<bool> *taken = nullptr);

// A fix-it that fix_all made, and in which round: round 1 makes the fix-its
// that check shows; a later round, those that the text of the round before
// brought (once round 1 unindents a line, the indented line below it
// continues that line instead, and round 2 removes its indentation).
struct made_fix {
    std::size_t round = 1;
    std::size_t line = 0;  // editor line of its diagnostic
    std::string_view name; // its diagnostic's name
    std::string change;    // what it does to the record
};

// `text` with the fix-its of the diagnostics that `wanted` accepts made, and
// made again on the result until none is left (a few rounds at most). Each
// round checks the text once and makes its fix-its together, held to the
// fix-it rule (fix_judging.h) once; only when they break it together are
// they made in smaller groups, the later of two that clash left out. `made`
// counts the fix-its made, a diagnostic's edits counting as one; `each`,
// when given, gets every one of them, in rounds, by line.
std::string fix_all(std::string_view text, const std::function<bool(std::string_view)> &wanted,
                    std::size_t &made, std::vector<made_fix> *each = nullptr);

// "round 2: -Wcontinuation: the line is read as one of its own; ...", the
// words that announce a fix-it of a later round (after its file and line),
// as check --fix-dry-run and check --fix say them.
std::string round_words(const made_fix &fix);

} // namespace pexilon::check
