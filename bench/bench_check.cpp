// The checker beside the parser: pexilon_parse_config and pexilon_check_path
// on the same generated files.
//
//   pexilon_check_bench [--smoke] [--parse-only] [--parts] [DIR]
//
// Prints, per shape, the best time of each and the checker's throughput.
// With --parts, also what every check of a file does before any rule runs,
// each timed alone: the file read into memory, its lines mapped, the text
// parsed with no listener, and parsed with a listener that does nothing
// with the accounts it hears; "floor/parse" is the first three over the
// parse of the file.
// Run it twice, once with LD_LIBRARY_PATH naming an older build of
// libpexilon_config_parser, to compare the parser's speed across versions.
// Last, `check --fix` on 500 and 4000 repeated pairs of fixable lines (a
// misspelt key, a unit after a number), 1000 and 8000 fix-its: the time
// should grow with the file, not with the file times its fix-its.
// The exit status is 1 when the checker's parse result differs from the
// library's, when it reports an error in a generated (well-formed) file, or
// when --fix leaves a fix-it unmade.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check/fixits.h"
#include "generate_config.h"
#include "input/input_reading.h"
#include "pexilon/config_check.h"
#include "pexilon/config_parser.h"
#include "reader/line_map.h"
#include "support/record_ops.h"

using namespace pexilon_bench;
using clock_type = std::chrono::steady_clock;

namespace {

template <typename F>
double best_of(int runs, F f)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = clock_type::now();
        f();
        best = std::min(best, std::chrono::duration<double>(clock_type::now() - t0).count());
    }
    return best;
}

// Hears every line's account and keeps nothing: what a check pays for the
// accounts before its rules.
class deaf_listener final : public pexilon::account_listener {
public:
    void account(const pexilon::line_account &line) noexcept override
    {
        heard_ += line.reader_line;
    }
    std::size_t heard() const noexcept { return heard_; }

private:
    std::size_t heard_ = 0;
};

// The parts of a check of `path` that come before its rules, best of `runs`
// each, in ms; taken in turn as the parse and the check are.
struct check_parts {
    double read = 1e30;
    double map = 1e30;
    double text_parse = 1e30;
    double listened_parse = 1e30;
};

check_parts time_parts(const std::string &path, int runs)
{
    check_parts t;
    const pexilon::input::loaded_input input = pexilon::input::read_path(path.c_str());
    const std::string_view text = input.bytes.view();
    for (int r = 0; r < runs; ++r) {
        t.read = std::min(t.read, best_of(1, [&] { pexilon::input::read_path(path.c_str()); }));
        t.map = std::min(t.map, best_of(1, [&] { pexilon::line_map map(text); }));
        t.text_parse = std::min(t.text_parse, best_of(1, [&] {
                                    parsed_config c{};
                                    pexilon::input::parse_loaded(input, &c);
                                    pexilon::release_record(c);
                                }));
        t.listened_parse = std::min(t.listened_parse, best_of(1, [&] {
                                        parsed_config c{};
                                        deaf_listener deaf;
                                        pexilon::input::parse_loaded(input, &c, &deaf);
                                        pexilon::release_record(c);
                                    }));
    }
    return t;
}

// Times fix_all on `pairs` pairs of fixable lines; false when a fix-it is
// left unmade.
bool time_fix_all(std::size_t pairs)
{
    std::string text = "[register parameter]\n";
    for (std::size_t i = 0; i < pairs; ++i)
        text += "REGG = 0x" + std::to_string(3000 + i % 4096) +
                ", 0x01\nDELAY = " + std::to_string(i % 50 + 1) + "ms\n";
    std::size_t made = 0;
    const double t = best_of(1, [&] {
        pexilon::check::fix_all(
            text, [](std::string_view) { return true; }, made);
    });
    std::printf("check --fix, %zu repeated pairs (%zu bytes): %zu fix-its made in %.3f s\n", pairs,
                text.size(), made, t);
    return made == 2 * pairs;
}

} // namespace

int main(int argc, char **argv)
{
    bool smoke = false;
    bool parse_only = false;
    bool parts = false;
    const char *base = std::getenv("TMPDIR");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else if (std::strcmp(argv[i], "--parse-only") == 0)
            parse_only = true;
        else if (std::strcmp(argv[i], "--parts") == 0)
            parts = true;
        else if (argv[i][0] != '-')
            base = argv[i];
        else {
            std::fprintf(stderr, "usage: %s [--smoke] [--parse-only] [--parts] [DIR]\n", argv[0]);
            return 2;
        }
    }
    const std::string path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                             "/pexilon-check-bench-" + std::to_string(getpid()) + ".conf";
    const std::size_t lines = smoke ? 1000 : 1000000;
    const int runs = smoke ? 1 : 9;
    bool ok = true;
    std::printf("%-10s %8s %6s %10s %10s %10s %8s %6s %8s\n", "shape", "lines", "MB", "parse ms",
                "check ms", "check/parse", "parse MB/s", "check MB/s", "warnings");
    for (shape s : all_shapes) {
        generated_file g;
        if (!generate_config(path, s, lines, g)) {
            std::perror(path.c_str());
            return 2;
        }
        int parse_result = 0;
        pexilon_check_summary summary{};
        // Taken in turn, so that a busy spell of the machine slows both.
        double parse_t = 1e30;
        double check_t = parse_only ? 0 : 1e30;
        for (int r = 0; r < runs; ++r) {
            parse_t = std::min(parse_t, best_of(1, [&] {
                                   parsed_config c{};
                                   parse_result = pexilon_parse_config(path.c_str(), &c);
                                   pexilon::release_record(c);
                               }));
            if (r == 0)
                summary.parse_result = parse_result;
            if (!parse_only)
                check_t = std::min(check_t, best_of(1, [&] {
                                       pexilon_check_path(path.c_str(), nullptr, nullptr, &summary);
                                   }));
        }
        if (summary.parse_result != parse_result || summary.errors != 0) {
            std::printf("CHECK FAILED: %s: check result %d with %zu errors, parse result %d\n",
                        shape_name(s), summary.parse_result, summary.errors, parse_result);
            ok = false;
        }
        const double mb = static_cast<double>(g.bytes) / 1e6;
        std::printf("%-10s %8zu %6.1f %10.2f %10.2f %10.2f %8.0f %6.0f %8zu\n", shape_name(s),
                    lines, mb, 1e3 * parse_t, 1e3 * check_t, check_t / parse_t, mb / parse_t,
                    mb / check_t, summary.warnings);
        if (parts && !parse_only) {
            const check_parts t = time_parts(path, runs);
            std::printf("  parts ms: read %.2f, map %.2f, text parse %.2f, listened parse %.2f; "
                        "floor/parse %.2f\n",
                        1e3 * t.read, 1e3 * t.map, 1e3 * t.text_parse, 1e3 * t.listened_parse,
                        (t.read + t.map + t.text_parse) / parse_t);
        }
        std::fflush(stdout);
        std::remove(path.c_str());
    }
    ok = time_fix_all(500) && ok;
    if (!smoke)
        ok = time_fix_all(4000) && ok;
    return ok ? 0 : 1;
}
