// Throughput, scaling and memory of pexilon_parse_config on generated files.
//
//   pexilon_bench [--smoke] [DIR]
//   pexilon_bench --write SHAPE LINES FILE   (a generated file, for profiling)
//   pexilon_bench --cold-child FILE          (one parse; what the cold column runs)
//   pexilon_bench --host-child FILE ROUNDS   (parses as a host makes them; host_view.h)
//
// Files are written to a fresh directory under DIR (default $TMPDIR, else
// /tmp) and removed at the end. --smoke runs every measurement once on
// 1000-line files. The exit status is 1 when a parse does not give what the
// generator wrote (status 0 and the expected entry counts); the targets'
// PASS and FAIL flags never change it.
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "generate_config.h"
#include "host_view.h"
#include "pexilon/config_parser.h"
#include "support/record_ops.h"

using namespace pexilon_bench;
using clock_type = std::chrono::steady_clock;

namespace {

volatile long sink; // keeps the reference loops from being optimised away
bool all_ok = true;

void fail(const char *what, const std::string &path, long got, long want)
{
    std::printf("CHECK FAILED: %s of %s: %ld, expected %ld\n", what, path.c_str(), got, want);
    all_ok = false;
}

// (a') The bound of any reader: the bytes read in 64 KB blocks and their
// newlines found with memchr, nothing copied, no line handed anywhere.
void read_memchr(const char *path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    static char block[65536];
    long lines = 0;
    ssize_t n = 0;
    while ((n = read(fd, block, sizeof block)) > 0)
        for (const char *p = block, *end = block + n;
             (p = static_cast<const char *>(
                  std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr;
             ++p)
            ++lines;
    close(fd);
    sink = lines;
}

// (b) A naive reader: trim, skip comments, split values at commas, strtol.
void naive_parse(const char *path)
{
    std::FILE *f = std::fopen(path, "r");
    char line[200];
    long sum = 0;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        char *s = line;
        while (std::isspace(static_cast<unsigned char>(*s)))
            ++s;
        char *e = s + std::strlen(s);
        while (e > s && std::isspace(static_cast<unsigned char>(e[-1])))
            *--e = '\0';
        if (*s == '\0' || *s == ';' || *s == '#' || (s[0] == '/' && s[1] == '/'))
            continue;
        if (*s == '[') {
            ++sum;
            continue;
        }
        char *value = std::strpbrk(s, "=:");
        value = value != nullptr ? value + 1 : s;
        for (char *piece = std::strtok(value, ","); piece != nullptr;
             piece = std::strtok(nullptr, ","))
            sum += std::strtol(piece, nullptr, 0);
    }
    std::fclose(f);
    sink = sum;
}

// Bytes the record holds: the params room the growth rule promises, the
// controls and their code texts.
std::size_t record_bytes(const parsed_config &c)
{
    std::size_t bytes = pexilon::promised_param_room(c.param_count) * sizeof(param_entry);
    bytes += c.control_count * sizeof(control_entry);
    for (std::uint32_t i = 0; i < c.control_count; ++i)
        if (c.controls[i].code != nullptr)
            bytes += std::strlen(c.controls[i].code) + 1;
    return bytes;
}

void check_record(const std::string &path, int status, const parsed_config &c,
                  const generated_file &g)
{
    if (status != 0)
        fail("status", path, status, 0);
    if (c.param_count != g.params)
        fail("param_count", path, c.param_count, static_cast<long>(g.params));
    if (c.control_count != g.controls)
        fail("control_count", path, c.control_count, static_cast<long>(g.controls));
}

// Seconds that one call of f takes.
template <typename F>
double time_once(F &&f)
{
    const auto start = clock_type::now();
    f();
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// (c) The library, into a zeroed record; the record is released untimed.
double time_library(const std::string &path, const generated_file &g, bool check)
{
    parsed_config c{};
    int status = 0;
    const double t = time_once([&] { status = pexilon_parse_config(path.c_str(), &c); });
    if (check)
        check_record(path, status, c, g);
    pexilon::release_record(c);
    return t;
}

// A field of /proc/self/status in kB, or -1.
long status_kb(const char *field)
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return -1;
    char line[256];
    long kb = -1;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, field, n) == 0 && line[n] == ':')
            kb = std::strtol(line + n + 1, nullptr, 10);
    std::fclose(f);
    return kb;
}

long minor_faults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Child side of the cold measurement: a fresh process parses one file and
// prints "rss_before peak record_bytes status params controls seconds faults".
int cold_child(const char *path)
{
    const long before = status_kb("VmRSS"), faults = minor_faults();
    parsed_config c{};
    int status = 0;
    const double t = time_once([&] { status = pexilon_parse_config(path, &c); });
    const long after = minor_faults();
    std::printf("%ld %ld %zu %d %u %u %.9f %ld\n", before, status_kb("VmHWM"), record_bytes(c),
                status, c.param_count, c.control_count, t, after - faults);
    pexilon::release_record(c);
    return 0;
}

struct cold_result {
    long before_kb = -1, peak_kb = -1, faults = 0;
    std::size_t record = 0;
    double t = 0;
};

// Runs cold_child in a new process image, so that the parse starts with the
// allocator and the memory of a host that parses once, and reads its report
// through a pipe.
cold_result measure_cold(const std::string &path, const generated_file &g)
{
    cold_result r;
    bool ok = false;
    const std::string text = self_report({"--cold-child", path}, nullptr, ok);
    int status = -2;
    parsed_config c{};
    if (!ok ||
        std::sscanf(text.c_str(), "%ld %ld %zu %d %u %u %lf %ld", &r.before_kb, &r.peak_kb,
                    &r.record, &status, &c.param_count, &c.control_count, &r.t, &r.faults) != 8) {
        fail("cold child report", path, -1, 0);
        return r;
    }
    check_record(path, status, c, g);
    return r;
}

double median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The warm runs of one file: the four loops in turn, run after run.
struct warm_runs {
    std::vector<double> floor_t, memchr_t, naive_t, lib_t;

    void run_once(const std::string &path, const generated_file &g)
    {
        floor_t.push_back(time_once([&] { read_lines_floor(path.c_str()); }));
        memchr_t.push_back(time_once([&] { read_memchr(path.c_str()); }));
        naive_t.push_back(time_once([&] { naive_parse(path.c_str()); }));
        lib_t.push_back(time_library(path, g, lib_t.empty()));
    }

    // The median of each round's runs of `t`, round by round.
    static std::vector<double> per_round(const std::vector<double> &t, std::size_t per)
    {
        std::vector<double> medians;
        for (std::size_t at = 0; at + per <= t.size(); at += per)
            medians.push_back(median({t.begin() + static_cast<std::ptrdiff_t>(at),
                                      t.begin() + static_cast<std::ptrdiff_t>(at + per)}));
        return medians;
    }

    // The median over the runs of a / lib, each run's pair taken together:
    // a pair is timed within moments, so that a spell of load on the
    // machine hits both alike, where the medians of the two loops may come
    // from different spells.
    double ratio_to_lib(const std::vector<double> &a) const
    {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < a.size(); ++i)
            ratios.push_back(a[i] / lib_t[i]);
        return median(ratios);
    }
};

struct row {
    shape s;
    std::size_t lines;
    int runs;
    double floor_t, memchr_t, naive_t, lib_t; // medians of the warm runs
    double vs_floor, vs_memchr, vs_naive;     // medians of the runs' ratios to lib
    cold_result cold;                         // the median of the cold runs
    host_result host, tuned;                  // as a host sees it (host_view.h)
    // Round by round: the median warm times and the cold times, for the
    // scaling from one size to the next within each round.
    std::vector<double> lib_rounds, floor_rounds, cold_rounds;
};

// The median over the rounds of b / a, each round's times taken together.
double paired_scaling(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        ratios.push_back(b[i] / a[i]);
    return ratios.empty() ? 0 : median(ratios);
}

// Warm runs of a file in each round: the small files, which take moments,
// run several times, so that their medians rest on more runs. Odd totals,
// so that the median is one of the runs.
inline constexpr int rounds = 9;
// Cold runs of each size, one a round: a cold parse pays a page fault for
// every 4 kB of record, whose cost strays more than the parse's.
inline constexpr int cold_runs = 5;
int runs_per_round(std::size_t lines, bool smoke)
{
    if (smoke)
        return 1;
    return lines <= 1000 ? 5 : lines <= 10000 ? 3 : 1;
}

// The cold run of median time of those given.
cold_result median_cold(std::vector<cold_result> all)
{
    const auto middle = all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2);
    std::nth_element(all.begin(), middle, all.end(),
                     [](const cold_result &a, const cold_result &b) { return a.t < b.t; });
    return *middle;
}

std::string file_for(const std::string &dir, shape s, std::size_t lines)
{
    return dir + "/" + shape_name(s) + "_" + std::to_string(lines) + ".conf";
}

bool make_file(const std::string &path, shape s, std::size_t lines, generated_file &g)
{
    if (!generate_config(path, s, lines, g)) {
        std::printf("cannot write %s\n", path.c_str());
        all_ok = false;
        return false;
    }
    return true;
}

double mb_per_s(std::size_t bytes, double t) { return t > 0 ? bytes / t / 1e6 : 0; }

// The host's view of one file, its parses checked as the warm ones are.
host_result measured_host(const std::string &path, const generated_file &g, int runs, bool tuned)
{
    bool ok = false;
    const host_result r = measure_host(path, runs, tuned, ok);
    if (!ok) {
        fail("host child report", path, -1, 0);
        return r;
    }
    parsed_config c{};
    c.param_count = r.params;
    c.control_count = r.controls;
    check_record(path, r.status, c, g);
    return r;
}

void print_host_rows(const std::vector<row> &rows)
{
    std::printf("\nAs a host sees it: a fresh process, the allocator's own settings, each parse"
                " followed by the\nwalk over the record and its release, beside a floor run;"
                " medians over the runs;\ntuned: the same with GLIBC_TUNABLES=%s\n",
                kept_pages_tunables);
    std::printf("%-12s %7s %9s %9s %9s %9s %8s %9s %8s\n", "shape", "lines", "warm", "host", "host",
                "floor", "faults", "tuned", "faults");
    std::printf("%-12s %7s %9s %9s %9s %9s %8s %9s %8s\n", "", "", "lib/floor", "lib/floor",
                "lib ms", "ms", "a parse", "lib/floor", "a parse");
    for (const row &r : rows)
        std::printf("%-12s %7zu %9.2f %9.2f %9.3f %9.3f %8ld %9.2f %8ld\n", shape_name(r.s),
                    r.lines, r.vs_floor, r.host.vs_floor, 1e3 * r.host.lib_t, 1e3 * r.host.floor_t,
                    r.host.faults, r.tuned.vs_floor, r.tuned.faults);
}

// Five parses into fresh records, then the same file twice into one record.
void repeated_parses(const std::string &dir, shape s, std::size_t lines)
{
    const std::string path = file_for(dir, s, lines);
    generated_file g;
    if (!make_file(path, s, lines, g))
        return;
    std::printf("%s, %zu lines, 5 parses into fresh records, ms (page faults):\n ", shape_name(s),
                lines);
    std::vector<long> rss;
    for (int i = 0; i < 5; ++i) {
        const long faults = minor_faults();
        const double t = time_library(path, g, true);
        std::printf(" %.2f (%ld)", 1e3 * t, minor_faults() - faults);
        rss.push_back(status_kb("VmRSS"));
    }
    std::printf("\n  VmRSS after each release (kB):");
    for (long kb : rss)
        std::printf(" %ld", kb);
    parsed_config c{};
    int first = 0, second = 0;
    const long f0 = minor_faults();
    const double t1 = time_once([&] { first = pexilon_parse_config(path.c_str(), &c); });
    const long f1 = minor_faults();
    const std::uint32_t params1 = c.param_count, controls1 = c.control_count;
    const double t2 = time_once([&] { second = pexilon_parse_config(path.c_str(), &c); });
    std::printf("\n  same file twice into one record: %.2f (%ld) then %.2f (%ld); params %u -> %u,"
                " controls %u -> %u, status %d/%d\n",
                1e3 * t1, f1 - f0, 1e3 * t2, minor_faults() - f1, params1, c.param_count, controls1,
                c.control_count, first, second);
    if (first != 0 || second != 0)
        fail("status of repeated parse", path, first != 0 ? first : second, 0);
    if (c.param_count != 2 * params1 || c.control_count != 2 * controls1)
        fail("doubled count", path, c.param_count + c.control_count,
             2 * static_cast<long>(params1 + controls1));
    pexilon::release_record(c);
    std::remove(path.c_str());
}

// The shape of that name, or none.
std::optional<shape> shape_named(const char *name)
{
    for (shape s : all_shapes)
        if (std::strcmp(shape_name(s), name) == 0)
            return s;
    return std::nullopt;
}

// --write: one generated file, for profiling a parse of it on its own.
int write_file(const char *name, const char *lines, const char *path)
{
    for (shape s : all_shapes) {
        if (std::strcmp(shape_name(s), name) != 0)
            continue;
        char *end = nullptr;
        const unsigned long long count = std::strtoull(lines, &end, 10);
        generated_file g;
        if (*lines == '\0' || *end != '\0' || !generate_config(path, s, count, g)) {
            std::fprintf(stderr, "pexilon_bench: cannot write %llu lines to %s\n", count, path);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "pexilon_bench: unknown shape %s\n", name);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--cold-child") == 0)
        return cold_child(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--host-child") == 0)
        return host_child(argv[2], std::atoi(argv[3]));
    if (argc == 5 && std::strcmp(argv[1], "--write") == 0)
        return write_file(argv[2], argv[3], argv[4]);
    bool smoke = false;
    const char *base = std::getenv("TMPDIR");
    std::vector<shape> shapes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else if (std::strcmp(argv[i], "--shape") == 0 && i + 1 < argc && shape_named(argv[i + 1]))
            shapes.push_back(*shape_named(argv[++i]));
        else if (argv[i][0] != '-')
            base = argv[i];
        else {
            std::fprintf(stderr,
                         "usage: %s [--smoke] [--shape SHAPE]... [DIR]\n"
                         "       %s --write SHAPE LINES FILE\n"
                         "       %s --cold-child FILE\n",
                         argv[0], argv[0], argv[0]);
            return 2;
        }
    }
    std::string dir =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/pexilon-bench-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr) {
        std::perror(dir.c_str());
        return 2;
    }
    if (shapes.empty())
        shapes.assign(std::begin(all_shapes), std::end(all_shapes));
    const std::vector<std::size_t> sizes =
        smoke ? std::vector<std::size_t>{1000}
              : std::vector<std::size_t>{1000, 10000, 100000, 1000000};

    // First, while the allocator is as a host's would be.
    std::printf("Repeated parses in one process (default allocator settings)\n");
    const std::size_t repeat_lines = smoke ? 1000 : 100000;
    repeated_parses(dir, shape::register_table, repeat_lines);
    repeated_parses(dir, shape::controls, repeat_lines);

    // The timed loops then keep all freed memory in the process: otherwise
    // blocks above the allocator's mmap threshold (32 MB at most) come back
    // as fresh pages on every run, and the first touch of a page is costly
    // in a virtual machine, while smaller ones are reused. The cold column
    // is a parse in a fresh process with the default allocator.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);

    std::printf("\nThroughput, median of N runs (warm heap), the sizes of a shape in turn; lib/x ="
                " median of the runs' ratios;\ncold = median of 5 parses, each in a fresh"
                " process\n");
    std::printf("%-12s %7s %3s %6s %6s %6s %6s %6s %5s %5s %5s %8s %8s %6s %5s\n", "shape", "lines",
                "N", "MB", "floor", "read+", "naive", "lib", "lib/", "lib/", "lib/", "lib", "cold",
                "cold", "rec");
    std::printf("%-12s %7s %3s %6s %6s %6s %6s %6s %5s %5s %5s %8s %8s %6s %5s\n", "", "", "", "",
                "MB/s", "memchr", "MB/s", "MB/s", "floor", "rd+mc", "naive", "ms", "ms", "faults",
                "share");
    std::vector<row> rows;
    for (shape s : shapes) {
        // Every size of a shape is timed in each round, the sizes in turn,
        // so that the scaling from one size to the next compares times taken
        // in the same minutes, not one size in a quiet spell of the machine
        // and the next in a busy one.
        std::vector<std::string> paths;
        std::vector<generated_file> files(sizes.size());
        bool made = true;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            paths.push_back(file_for(dir, s, sizes[i]));
            made = made && make_file(paths[i], s, sizes[i], files[i]);
        }
        std::vector<warm_runs> warm(sizes.size());
        std::vector<std::vector<cold_result>> cold(sizes.size());
        for (int round = 0; made && round < (smoke ? 1 : rounds); ++round)
            for (std::size_t i = 0; i < sizes.size(); ++i)
                for (int k = 0; k < runs_per_round(sizes[i], smoke); ++k)
                    warm[i].run_once(paths[i], files[i]);
        for (int round = 0; made && round < (smoke ? 1 : cold_runs); ++round)
            for (std::size_t i = 0; i < sizes.size(); ++i)
                cold[i].push_back(measure_cold(paths[i], files[i]));
        std::vector<host_result> host(sizes.size()), tuned(sizes.size());
        for (std::size_t i = 0; made && i < sizes.size(); ++i) {
            host[i] = measured_host(paths[i], files[i], smoke ? 1 : rounds, false);
            tuned[i] = measured_host(paths[i], files[i], smoke ? 1 : rounds, true);
        }
        for (std::size_t i = 0; made && i < sizes.size(); ++i) {
            const warm_runs &w = warm[i];
            const generated_file &g = files[i];
            row r{s,
                  sizes[i],
                  static_cast<int>(w.lib_t.size()),
                  median(w.floor_t),
                  median(w.memchr_t),
                  median(w.naive_t),
                  median(w.lib_t),
                  w.ratio_to_lib(w.floor_t),
                  w.ratio_to_lib(w.memchr_t),
                  w.ratio_to_lib(w.naive_t),
                  median_cold(cold[i]),
                  host[i],
                  tuned[i],
                  {},
                  {},
                  {}};
            const auto per = static_cast<std::size_t>(runs_per_round(sizes[i], smoke));
            r.lib_rounds = warm_runs::per_round(w.lib_t, per);
            r.floor_rounds = warm_runs::per_round(w.floor_t, per);
            for (const cold_result &c : cold[i])
                r.cold_rounds.push_back(c.t);
            // The record's own pages, against all the faults of the cold parse.
            const double record_pages = static_cast<double>(r.cold.record) / 4096;
            std::printf("%-12s %7zu %3d %6.2f %6.0f %6.0f %6.0f %6.0f %5.2f %5.2f %5.2f %8.3f %8.3f"
                        " %6ld %5.2f\n",
                        shape_name(s), r.lines, r.runs, g.bytes / 1e6, mb_per_s(g.bytes, r.floor_t),
                        mb_per_s(g.bytes, r.memchr_t), mb_per_s(g.bytes, r.naive_t),
                        mb_per_s(g.bytes, r.lib_t), r.vs_floor, r.vs_memchr, r.vs_naive,
                        1e3 * r.lib_t, 1e3 * r.cold.t, r.cold.faults,
                        r.cold.faults > 0 ? std::min(1.0, record_pages / r.cold.faults) : 0.0);
            rows.push_back(r);
        }
        std::fflush(stdout);
        for (const std::string &path : paths)
            std::remove(path.c_str());
    }

    print_host_rows(rows);

    std::printf("\nScaling: time(10x lines) / time(1x lines), the median over the rounds: lib"
                " warm, [cold], (floor); ! above 11x\n");
    std::printf("%-12s", "shape");
    for (std::size_t i = 1; i < sizes.size(); ++i)
        std::printf(" %27s",
                    (std::to_string(sizes[i - 1]) + "->" + std::to_string(sizes[i])).c_str());
    std::printf("\n");
    std::vector<std::string> verdicts;
    for (shape s : shapes) {
        std::printf("%-12s", shape_name(s));
        const row *prev = nullptr;
        std::string why;
        for (const row &r : rows) {
            if (r.s != s)
                continue;
            if (prev != nullptr) {
                const double warm = paired_scaling(prev->lib_rounds, r.lib_rounds);
                const double cold = paired_scaling(prev->cold_rounds, r.cold_rounds);
                std::printf(" %6.1fx%s[%5.1fx]%s(%5.1fx)", warm, warm > 11 ? "!" : " ", cold,
                            cold > 11 ? "!" : " ",
                            paired_scaling(prev->floor_rounds, r.floor_rounds));
                char text[96];
                if (warm > 11 || cold > 11) {
                    std::snprintf(text, sizeof text, "; %zu->%zu lines %.1fx warm %.1fx cold",
                                  prev->lines, r.lines, warm, cold);
                    why += text;
                }
            }
            // The speed targets hold for the large files, where a parse
            // outweighs the opening of the file.
            const double target = s == shape::code_block ? 1.2 : 1.0;
            if (r.lines >= 100000 && r.vs_floor < target) {
                char text[96];
                std::snprintf(text, sizeof text, "; lib/floor %.2f < %.1f at %zu lines", r.vs_floor,
                              target, r.lines);
                why += text;
            }
            prev = &r;
        }
        std::printf("\n");
        std::string verdict = why.empty() ? ": PASS" : ": FAIL" + why;
        if (sizes.back() < 100000)
            verdict = ": not judged (no file of 1e5 lines)";
        verdicts.push_back(shape_name(s) + verdict);
    }

    std::printf("\nPeak memory of the cold parse of the %zu-line files (kB)\n", sizes.back());
    std::printf("%-12s %10s %10s %10s %10s %14s\n", "shape", "rss before", "VmHWM", "growth",
                "record", "growth/record");
    for (const row &r : rows) {
        if (r.lines != sizes.back())
            continue;
        const cold_result &p = r.cold;
        const long growth = p.peak_kb - p.before_kb;
        std::printf("%-12s %10ld %10ld %10ld %10zu %14.2f\n", shape_name(r.s), p.before_kb,
                    p.peak_kb, growth, p.record / 1024,
                    p.record > 0 ? growth * 1024.0 / p.record : 0.0);
    }

    std::printf("\nTargets (lib/floor >= 1.0, code_block >= 1.2, at 1e5 and 1e6 lines; 10x lines"
                " <= 11x time, warm and cold):\n");
    for (const std::string &v : verdicts)
        std::printf("  %s\n", v.c_str());
    rmdir(dir.c_str());
    std::printf("%s\n", all_ok ? "all parses checked" : "SOME CHECKS FAILED");
    return all_ok ? 0 : 1;
}
