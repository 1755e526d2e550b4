// Allocation failure, injected at every allocation of a parse in turn: the
// Nth malloc or realloc fails, for N = 1, 2, ... until a parse runs with no
// failure. Each time the record must stay consistent and hold what a clean
// parse gives less at most the one entry or text that could not be stored,
// the failure must be reported at the line where it happened (first-error
// rule), and after the caller's release no block may be left. Then the same
// with every allocation from the Nth on failing, as when memory runs out for
// good: the record holds a clean parse's entries less any number, in order,
// and the line reported is that of the first failure that lost something.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "alloc/failable_heap.h"
#include "check/checker.h"
#include "config/parse_config.h"
#include "reader/line_parser.h"
#include "support/test_support.h"

namespace {

const char first_code[] = "short\n";

// 3 controls (array growth and final trim), 306 entries (first array, growth
// past 100, 200 and 300, final trim), a code block replaced by a second one
// long enough to grow its buffer. The long block holds lines that would
// change the record if they were ever read as configuration lines. The last
// line is faulty, so a failure must be reported in preference to it.
std::string config_text()
{
    std::string t = "[camera parameter]\nTYPE = failing\nSIZE = 320, 240\n[register parameter]\n";
    for (int i = 0; i < 305; ++i)
        t += "REG = " + std::to_string(i) + ", " + std::to_string(i * 3) + "\n";
    t += "[control parameter]\nMIN_VALUE = -5\nCTRL_NAME = first\n"
         "======CODE_BLOCK_START======\nshort\n======CODE_BLOCK_END======\n"
         "======CODE_BLOCK_START======\n";
    for (int i = 0; i < 40; ++i)
        t += "  line " + std::to_string(i) + " of a code block long enough to grow its buffer\n";
    t += "MAX_VALUE = 999\nCTRL_NAME = leaked\n[not a header\nREG = 1\n======CODE_BLOCK_END======\n"
         "FUNC_NAME = fn\n[control parameter]\nSTEP = 2\nCTRL_NAME = second\n"
         "======CODE_BLOCK_START======\nx\n======CODE_BLOCK_END======\n"
         "[board parameter||dev2]\nVRCMD = 7, 8, 9\n[control parameter]\nDEF = 3\n"
         "this line has no separator\n";
    return t;
}

// A line reader that tells the heap how many lines the parser has been given,
// so that an allocation is tied to its line. It runs the same reader loop and
// handler as the library's own entry points.
struct line_feed {
    const std::string *text;
    std::size_t pos = 0;
    int lines = 0;
};

char *feed_line(char *buffer, int size, void *stream)
{
    auto &feed = *static_cast<line_feed *>(stream);
    if (feed.pos == feed.text->size())
        return nullptr;
    std::size_t n = 0;
    while (n + 1 < static_cast<std::size_t>(size) && feed.pos < feed.text->size())
        if ((buffer[n++] = (*feed.text)[feed.pos++]) == '\n')
            break;
    buffer[n] = '\0';
    pexilon_alloc::set_tag(++feed.lines);
    return buffer;
}

// The line at which the nth allocation of a parse of `text` is made (0 when
// the parse makes fewer allocations).
int line_of_allocation(const std::string &text, long n)
{
    parsed_config config;
    std::memset(&config, 0, sizeof config);
    line_feed feed{&text};
    pexilon_alloc::fail_nth(n);
    pexilon::interpreter_state state = pexilon::begin_interpreting(&config);
    pexilon::parse_lines(feed_line, &feed, pexilon::interpreter_handler, &state,
                         pexilon::interpreter_block_taker);
    pexilon::end_interpreting(state);
    const int line = pexilon_alloc::failure_injected() ? pexilon_alloc::failure_tag() : 0;
    pexilon::release_record(config);
    return line;
}

// A control's code text may be lost to a failed allocation: code texts are
// checked on their own in check_record.
bool same_control_but_code(control_entry a, control_entry b)
{
    a.code = b.code = nullptr;
    return pexilon::same_control(a, b);
}

// Whether `got` is `want` with at most `limit` elements left out, the rest
// in order.
template <typename T, typename Same>
bool less_at_most(const T *got, std::size_t n_got, const T *want, std::size_t n_want, Same same,
                  std::size_t limit)
{
    if (n_got > n_want || n_want - n_got > limit)
        return false;
    std::size_t i = 0;
    for (std::size_t j = 0; i < n_got && j < n_want; ++j)
        if (same(got[i], want[j]))
            ++i;
    return i == n_got;
}

// The first thing wrong with `got` against the clean parse `want`, or "".
// `exact_controls`: the controls block must hold exactly control_count;
// `dropped`: how many entries, and how many controls, may be missing.
std::string check_record(const parsed_config &got, const parsed_config &want, bool exact_controls,
                         std::size_t dropped)
{
    using pexilon_alloc::live_block_size;
    const std::size_t room = pexilon::promised_param_room(got.param_count);
    if (got.param_count == 0 ? got.params != nullptr
                             : live_block_size(got.params) < room * sizeof(param_entry))
        return "params is not a live block with room for 100 x (count / 100 + 1) entries";
    for (std::uint32_t i = 0; i < got.param_count; ++i)
        if (got.params[i].value_count > 16)
            return "value_count above 16 in entry " + std::to_string(i);
    if (!less_at_most(got.params, got.param_count, want.params, want.param_count,
                      pexilon::same_param, dropped))
        return "params are not a clean parse's less at most " + std::to_string(dropped) +
               " entries";

    const std::size_t controls_size = got.control_count * sizeof(control_entry);
    if (got.control_count == 0 ? got.controls != nullptr
        : exact_controls       ? live_block_size(got.controls) != controls_size
                               : live_block_size(got.controls) < controls_size)
        return "controls is not a live block of control_count entries";
    for (std::uint32_t i = 0; i < got.control_count; ++i) {
        const control_entry &c = got.controls[i];
        if (!std::memchr(c.ctrl_name, 0, sizeof c.ctrl_name) ||
            !std::memchr(c.func_name, 0, sizeof c.func_name))
            return "unterminated name in control " + std::to_string(i);
        if (c.code == nullptr)
            continue;
        const std::size_t size = live_block_size(c.code);
        if (size == 0 || !std::memchr(c.code, 0, size))
            return "dangling or unterminated code in control " + std::to_string(i);
        bool known = std::strcmp(c.code, first_code) == 0;
        for (std::uint32_t j = 0; j < want.control_count; ++j)
            known = known ||
                    std::strcmp(c.code, want.controls[j].code ? want.controls[j].code : "") == 0;
        if (!known)
            return "code text of control " + std::to_string(i) + " was never in the file";
    }
    if (!less_at_most(got.controls, got.control_count, want.controls, want.control_count,
                      same_control_but_code, dropped))
        return "controls are not a clean parse's less at most " + std::to_string(dropped);
    if (!pexilon::same_camera(got.camera, want.camera))
        return "camera settings differ from a clean parse";
    return "";
}

// What one parse with injected failures gave.
struct failed_parse {
    pexilon::config_report report;
    bool injected;
};

enum class source { path, bytes };
constexpr source sources[] = {source::path, source::bytes};

failed_parse parse_failing(source from, const std::string &text, const char *path, long n,
                           bool persist, parsed_config &got)
{
    std::memset(&got, 0, sizeof got);
    persist ? pexilon_alloc::fail_from(n) : pexilon_alloc::fail_nth(n);
    const auto report = from == source::bytes
                            ? pexilon::parse_config_bytes(text.data(), text.size(), &got)
                            : pexilon::parse_config_path(path, &got);
    return {report, pexilon_alloc::failure_injected()};
}

bool no_memory(const pexilon::config_report &report)
{
    return report.outcome.kind == pexilon::fault::block_no_memory ||
           (report.outcome.kind == pexilon::fault::rejected &&
            report.reason == pexilon::reject_reason::no_memory);
}

TEST(AllocationFailure, EveryAllocationFailingInTurnIsReportedAndLeaksNothing)
{
    const std::string text = config_text();
    const int last_line = static_cast<int>(std::count(text.begin(), text.end(), '\n'));

    const pexilon_test::temp_file file(text);

    parsed_config want;
    std::memset(&want, 0, sizeof want);
    pexilon_alloc::fail_nth(0);
    ASSERT_EQ(pexilon::parse_config_path(file.path(), &want).outcome.line, last_line);
    const std::size_t baseline_blocks = pexilon_alloc::live_block_count();
    // The text reaches what it is meant to reach.
    ASSERT_EQ(want.param_count, 306u);
    ASSERT_EQ(want.control_count, 3u);
    ASSERT_NE(want.controls[0].code, nullptr);
    ASSERT_GT(std::strlen(want.controls[0].code), 1000u);
    ASSERT_EQ(std::strcmp(want.controls[0].ctrl_name, "first"), 0);
    // The allocations of the reader loop and the record alone.
    line_of_allocation(text, 0);
    const long loop_allocations = pexilon_alloc::allocation_count();

    std::set<const void *> sites;
    for (const source from : sources) {
        const char *from_name = from == source::path ? "path" : "bytes";
        parsed_config got;
        ASSERT_FALSE(parse_failing(from, text, file.path(), 0, false, got).injected);
        const long clean_allocations = pexilon_alloc::allocation_count();
        pexilon::release_record(got);
        // A source's own allocations (the path's read block) come first.
        const long own = clean_allocations - loop_allocations;
        ASSERT_GE(own, 0);

        // One allocation failing; lost[n] is the line at which failing the
        // nth lost something, or 0 when that failure lost nothing at all:
        // the read block has a fallback, and the trims of the lists and of
        // an adopted code text give back slack, the larger block serving
        // when they fail.
        std::vector<int> lost(static_cast<std::size_t>(clean_allocations) + 2, 0);
        for (long n = 1; n <= clean_allocations + 1; ++n) {
            SCOPED_TRACE(std::string(from_name) + ", allocation " + std::to_string(n) + " failing");
            const failed_parse run = parse_failing(from, text, file.path(), n, false, got);
            const auto &outcome = run.report.outcome;
            EXPECT_EQ(run.injected, n <= clean_allocations);
            if (run.injected)
                sites.insert(pexilon_alloc::failure_site());
            if (run.injected &&
                (outcome.line != last_line || outcome.kind != pexilon::fault::no_separator)) {
                lost[static_cast<std::size_t>(n)] = outcome.line;
                EXPECT_GT(n, own) << "the source's own allocation lost something";
                if (n > own) {
                    EXPECT_EQ(outcome.line, line_of_allocation(text, n - own));
                }
                EXPECT_TRUE(no_memory(run.report)) << pexilon::describe_fault(run.report);
                EXPECT_EQ(check_record(got, want, true, 1), "");
            } else {
                EXPECT_EQ(check_record(got, want, !run.injected, 0), "");
                for (std::uint32_t i = 0; i < got.control_count; ++i)
                    EXPECT_STREQ(got.controls[i].code, want.controls[i].code);
            }
            if (!run.injected) {
                EXPECT_EQ(pexilon_alloc::allocation_count(), clean_allocations);
            }
            pexilon::release_record(got);
            EXPECT_EQ(pexilon_alloc::live_block_count(), baseline_blocks);
        }

        // Every allocation from the nth on failing: the report is that of
        // the first failure that lost something.
        for (long n = 1; n <= clean_allocations; ++n) {
            SCOPED_TRACE(std::string(from_name) + ", allocations from " + std::to_string(n) +
                         " on failing");
            const failed_parse run = parse_failing(from, text, file.path(), n, true, got);
            EXPECT_TRUE(run.injected);
            int first_lost = 0;
            for (long k = n; k <= clean_allocations && first_lost == 0; ++k)
                first_lost = lost[static_cast<std::size_t>(k)];
            if (first_lost != 0) {
                EXPECT_EQ(run.report.outcome.line, first_lost);
                EXPECT_TRUE(no_memory(run.report)) << pexilon::describe_fault(run.report);
            } else {
                EXPECT_EQ(run.report.outcome.line, last_line);
                EXPECT_EQ(run.report.outcome.kind, pexilon::fault::no_separator);
            }
            EXPECT_EQ(check_record(got, want, false, first_lost != 0 ? SIZE_MAX : 0), "");
            pexilon::release_record(got);
            EXPECT_EQ(pexilon_alloc::live_block_count(), baseline_blocks);
        }
        std::printf("allocation failure, %s: %ld allocations failed in turn, then from each on\n",
                    from_name, clean_allocations);
    }
    std::printf("allocation failure: %zu distinct sites\n", sites.size());
    // The path's read block; params: first array, growth, trim; controls:
    // growth, trim; block buffer: first, growth; trim of an adopted code text.
    EXPECT_GE(sites.size(), 8u);
    pexilon::release_record(want);
    EXPECT_EQ(pexilon_alloc::live_block_count(), 0u);
}

} // namespace

// The checker runs the same parse with its listener attached: whichever
// allocation fails, it reports the line the library reports, names the loss,
// and judges no control or entry that the record does not hold.
TEST(AllocationFailure, TheCheckerFollowsEveryFailingAllocation)
{
    const std::string text = config_text();
    for (const bool for_good : {false, true}) {
        for (long n = 1;; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + (for_good ? " on" : "") + " failing");
            parsed_config record{};
            for_good ? pexilon_alloc::fail_from(n) : pexilon_alloc::fail_nth(n);
            const pexilon::config_report report =
                pexilon::parse_config_bytes(text.data(), text.size(), &record);
            pexilon::release_record(record);
            if (!pexilon_alloc::failure_injected())
                break;
            std::size_t losses = 0;
            for_good ? pexilon_alloc::fail_from(n) : pexilon_alloc::fail_nth(n);
            const pexilon::check::summary found =
                pexilon::check::check_text(text, [&](const pexilon::check::diagnostic &d) {
                    losses += d.name() == "no-memory" ? 1 : 0;
                    return true;
                });
            pexilon_alloc::fail_nth(0);
            EXPECT_EQ(found.parse_result, report.outcome.line);
            EXPECT_EQ(losses > 0, no_memory(report));
        }
    }
}
