// Holds the checker's fix-its to their rule on any input: made alone, and
// made all together, they add no diagnostic at any line (counted by line
// and kind), leave the faulty line where it was (or, fixing it, move on to
// the next one), and change the record,
// field by field, only as they announce; made alone, each removes its own
// diagnostic. The fix-its offered with the file's directives heeded are
// among those offered without.
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "check/checker.h"
#include "check/fixits.h"
#include "config/parse_config.h"
#include "config/record_changes.h"
#include "fuzz_support.h"

namespace {

using pexilon::check::fix_group;
using line_name = std::pair<std::size_t, std::string>;

// What the rule compares of a text.
struct seen {
    std::map<line_name, std::size_t> found;
    std::vector<fix_group> fixes; // each diagnostic's, in order
    std::vector<line_name> owners;
    int parse_result = 0;
    std::size_t lines = 1;
};

seen seen_in(std::string_view text, bool inline_config = false)
{
    seen out;
    for (const char c : text)
        out.lines += c == '\n' ? 1 : 0;
    out.parse_result = pexilon::check::check_text(
                           text,
                           [&](const pexilon::check::diagnostic &d) {
                               const line_name at{d.where.line, std::string(d.name())};
                               ++out.found[at];
                               if (!d.fixes.empty()) {
                                   out.fixes.push_back(d.fixes.copied());
                                   out.owners.push_back(at);
                               }
                               return true;
                           },
                           inline_config)
                           .parse_result;
    return out;
}

std::size_t count_at(const seen &s, const line_name &at)
{
    const auto found = s.found.find(at);
    return found == s.found.end() ? 0 : found->second;
}

// `groups` made in `text` keep the rule; `owner`, when given, is gone or
// fewer at its line.
void hold_to_rule(std::string_view text, const seen &before, const parsed_config &record,
                  const std::vector<fix_group> &groups, const line_name *owner)
{
    std::size_t made = 0;
    const std::string fixed = pexilon::check::apply_fixes(text, groups, &made);
    FUZZ_CHECK(made == groups.size());
    const seen after = seen_in(fixed);
    FUZZ_CHECK(after.lines == before.lines);
    // A fix of the faulty line itself may remove the fault: the parse then
    // goes on to the next faulty line, or to the end, and reads lines the
    // old record never held.
    if (after.parse_result != before.parse_result) {
        FUZZ_CHECK(before.parse_result > 0 &&
                   (after.parse_result == 0 || after.parse_result > before.parse_result));
        for (const auto &[at, count] : after.found)
            FUZZ_CHECK(count <= count_at(before, at));
        return;
    }
    for (const auto &[at, count] : after.found)
        FUZZ_CHECK(count <= count_at(before, at));
    if (owner != nullptr)
        FUZZ_CHECK(count_at(after, *owner) < count_at(before, *owner));
    std::vector<pexilon::record_change> changes;
    for (const fix_group &group : groups)
        for (const pexilon::check::fix_it &f : group)
            changes.insert(changes.end(), f.record.begin(), f.record.end());
    parsed_config fixed_record{};
    pexilon::parse_config_bytes(fixed.data(), fixed.size(), &fixed_record);
    const std::string unannounced = pexilon::unannounced_change(record, fixed_record, changes);
    pexilon::release_record(fixed_record);
    if (!unannounced.empty())
        std::fprintf(stderr, "changed, not announced: %s\n", unannounced.c_str());
    FUZZ_CHECK(unannounced.empty());
}

bool same_edits(const fix_group &a, const fix_group &b)
{
    const auto key = [](const pexilon::check::fix_it &f) {
        return std::tie(f.where.line, f.where.column, f.where.end_column, f.replacement);
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (key(a[i]) != key(b[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const seen before = seen_in(text);
    if (before.fixes.empty())
        return 0;
    parsed_config record{};
    pexilon::parse_config_bytes(text.data(), size, &record);
    for (std::size_t i = 0; i < before.fixes.size(); ++i)
        hold_to_rule(text, before, record, {before.fixes[i]}, &before.owners[i]);
    hold_to_rule(text, before, record, before.fixes, nullptr);
    pexilon::release_record(record);
    // Directives heeded: fewer fix-its, never others.
    const seen heeded = seen_in(text, true);
    std::size_t next = 0;
    for (const fix_group &group : heeded.fixes) {
        while (next < before.fixes.size() && !same_edits(before.fixes[next], group))
            ++next;
        FUZZ_CHECK(next < before.fixes.size());
        ++next;
    }
    return 0;
}
