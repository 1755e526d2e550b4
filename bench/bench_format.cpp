// The formatter beside the parser: pexilon_parse_config and, on the same
// generated files, the file read into memory and laid out with
// pexilon_check_format (which reads the text twice, before and after, to
// hold the layout to the record).
//
//   pexilon_format_bench [--smoke] [--parts] [DIR]
//
// With --parts, also the stages of a format from the internals, each timed
// alone: the check that finds the lines left as written, the document of
// the text, the layout, the document of the result and the comparison.
//
// Prints, per shape, the best time of each and both throughputs. Times are
// the process's processor time (user and system), so that other work on a
// shared machine does not count. The exit
// status is 1 when a generated file is refused, or a formatted file changes
// when it is formatted again.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "check/checker.h"
#include "format/formatter.h"
#include "generate_config.h"
#include "pexilon/config_check.h"
#include "pexilon/config_parser.h"
#include "support/record_ops.h"

using namespace pexilon_bench;

namespace {

template <typename F>
double best_of(int runs, F f)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const std::clock_t t0 = std::clock();
        f();
        best = std::min(best, static_cast<double>(std::clock() - t0) / CLOCKS_PER_SEC);
    }
    return best;
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Formats `text`; the result, or "" with `refused` set.
std::string formatted(const std::string &text, bool &refused)
{
    pexilon_check_formatted out{};
    const int status = pexilon_check_format(text.data(), text.size(), nullptr, &out);
    refused = status != 0;
    std::string result = status == 0 ? std::string(out.text, out.size) : std::string();
    std::free(out.text);
    std::free(out.reason);
    return result;
}

// The stages of format_text on `text`, best of `runs` each, in ms.
struct format_parts {
    double check = 1e30;
    double read = 1e30;
    double lay_out = 1e30;
    double read_again = 1e30;
    double compare = 1e30;
};

format_parts time_parts(const std::string &text, int runs)
{
    namespace check = pexilon::check;
    namespace format = pexilon::format;
    format_parts t;
    std::vector<bool> warned;
    const format::text_reading before = format::read_for_format(text);
    warned.assign(before.lines.size(), false);
    std::string laid;
    for (int r = 0; r < runs; ++r) {
        t.check = std::min(t.check, best_of(1, [&] {
                               check::check_text(text, [&](const check::diagnostic &d) {
                                   if (d.where.line > 0 && d.where.line <= warned.size())
                                       warned[d.where.line - 1] = true;
                                   return true;
                               });
                           }));
        t.read = std::min(t.read, best_of(1, [&] { format::read_for_format(text); }));
        t.lay_out = std::min(t.lay_out,
                             best_of(1, [&] { laid = format::lay_out(text, before, {}, warned); }));
        t.read_again =
            std::min(t.read_again, best_of(1, [&] { format::read_for_format(laid, false); }));
        const format::text_reading after = format::read_for_format(laid, false);
        t.compare =
            std::min(t.compare, best_of(1, [&] { format::compare_readings(before, after); }));
    }
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    bool smoke = false;
    bool parts = false;
    const char *base = std::getenv("TMPDIR");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else if (std::strcmp(argv[i], "--parts") == 0)
            parts = true;
        else if (argv[i][0] != '-')
            base = argv[i];
        else {
            std::fprintf(stderr, "usage: %s [--smoke] [--parts] [DIR]\n", argv[0]);
            return 2;
        }
    }
    const std::string path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                             "/pexilon-format-bench-" + std::to_string(getpid()) + ".conf";
    const std::size_t lines = smoke ? 1000 : 1000000;
    const int runs = smoke ? 1 : 3;
    bool ok = true;
    std::printf("%-14s %8s %6s %9s %9s %9s %10s %8s\n", "shape", "lines", "MB", "parse ms",
                "fmt ms", "fmt/parse", "parse MB/s", "fmt MB/s");
    for (shape s : all_shapes) {
        generated_file g;
        if (!generate_config(path, s, lines, g)) {
            std::perror(path.c_str());
            return 2;
        }
        const double parse_t = best_of(runs, [&] {
            parsed_config c{};
            pexilon_parse_config(path.c_str(), &c);
            pexilon::release_record(c);
        });
        bool refused = false;
        std::string once;
        const double format_t = best_of(runs, [&] { once = formatted(read_file(path), refused); });
        bool again_refused = false;
        if (refused || formatted(once, again_refused) != once || again_refused) {
            std::printf("FORMAT FAILED: %s: %s\n", shape_name(s),
                        refused ? "refused" : "a second run changes the text");
            ok = false;
        }
        std::printf("%-14s %8zu %6.1f %9.1f %9.1f %9.2f %10.0f %8.0f\n", shape_name(s), lines,
                    g.bytes / 1e6, 1e3 * parse_t, 1e3 * format_t, format_t / parse_t,
                    g.bytes / 1e6 / parse_t, g.bytes / 1e6 / format_t);
        if (parts) {
            const format_parts t = time_parts(read_file(path), runs);
            std::printf("  parts ms: check %.1f, read %.1f, lay out %.1f, read again %.1f, "
                        "compare %.1f (each over parse: %.2f %.2f %.2f %.2f %.2f)\n",
                        1e3 * t.check, 1e3 * t.read, 1e3 * t.lay_out, 1e3 * t.read_again,
                        1e3 * t.compare, t.check / parse_t, t.read / parse_t, t.lay_out / parse_t,
                        t.read_again / parse_t, t.compare / parse_t);
        }
        std::fflush(stdout);
        std::remove(path.c_str());
    }
    return ok ? 0 : 1;
}
