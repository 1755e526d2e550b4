// Benchmark of `pexilon-config diff` on two large files that differ in a few
// hundred places: time and peak memory per line should stay about the same
// from 1e4 to 1e6 lines (near-linear growth).
//
//   pexilon_bench_diff PROGRAM [--smoke] [DIR]
//
// PROGRAM is the pexilon-config executable. Each run is a fresh process;
// its peak resident size comes from wait4(). The number of changes it
// reports is checked against the edits made (one change per edit).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <vector>

#include "generate_config.h"

namespace {

struct run_result {
    int status = -1;
    double seconds = 0;
    long peak_kb = 0;
};

// Runs PROGRAM diff A B with standard output to `out_path`.
run_result run_diff(const char *program, const std::string &a, const std::string &b,
                    const std::string &out_path)
{
    run_result result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0)
            _exit(127);
        execl(program, program, "diff", a.c_str(), b.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return result;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.peak_kb = usage.ru_maxrss;
    return result;
}

std::vector<std::string> read_lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Writes B: A with `edits` edits spread evenly, each on a REG line that no
// continuation line follows, in turn changed, removed, or followed by a new
// one. Returns the number of edits made.
std::size_t write_edited(const std::vector<std::string> &a, const std::string &path,
                         std::size_t edits)
{
    std::ofstream out(path);
    const std::size_t step = a.size() / (edits + 1);
    std::size_t made = 0, next = step;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool continued =
            i + 1 < a.size() && !a[i + 1].empty() && (a[i + 1][0] == ' ' || a[i + 1][0] == '\t');
        if (i >= next && made < edits && a[i].rfind("REG", 0) == 0 && !continued) {
            switch (made++ % 3) {
            case 0:
                out << "REG = 0x7E57, 0x" << std::hex << made << std::dec << '\n';
                break;
            case 1:
                break; // removed
            default:
                out << a[i] << "\nREG = 0x7FFF, 0x01\n";
                break;
            }
            next += step;
            continue;
        }
        out << a[i] << '\n';
    }
    return made;
}

std::size_t count_changes(const std::string &path)
{
    std::size_t n = 0;
    for (const std::string &line : read_lines(path))
        if (line.rfind("  changed ", 0) == 0 || line.rfind("  added ", 0) == 0 ||
            line.rfind("  removed ", 0) == 0)
            ++n;
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [--smoke] [DIR]\n", argv[0]);
        return 2;
    }
    const char *program = argv[1];
    bool smoke = false;
    const char *base = std::getenv("TMPDIR");
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else
            base = argv[i];
    }
    std::string dir = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                      "/pexilon-bench-diff-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr) {
        std::perror(dir.c_str());
        return 2;
    }
    const std::vector<std::size_t> sizes =
        smoke ? std::vector<std::size_t>{1000} : std::vector<std::size_t>{10000, 100000, 1000000};
    const std::string a = dir + "/a.conf", b = dir + "/b.conf", out = dir + "/diff.txt";
    int failures = 0;
    std::printf("%10s %6s %8s %10s %10s %12s %12s\n", "lines", "edits", "changes", "seconds",
                "peak MB", "us/line", "bytes/line");
    for (std::size_t lines : sizes) {
        pexilon_bench::generated_file stats;
        if (!pexilon_bench::generate_config(a, pexilon_bench::shape::register_table, lines,
                                            stats)) {
            std::perror(a.c_str());
            return 2;
        }
        const std::size_t edits = write_edited(read_lines(a), b, smoke ? 12 : 300);
        const run_result r = run_diff(program, a, b, out);
        const std::size_t changes = count_changes(out);
        std::printf("%10zu %6zu %8zu %10.3f %10.1f %12.3f %12.0f\n", lines, edits, changes,
                    r.seconds, r.peak_kb / 1024.0, 1e6 * r.seconds / double(lines),
                    1024.0 * double(r.peak_kb) / double(lines));
        if (r.status != 1 || changes != edits) {
            std::fprintf(stderr, "diff of %zu lines: exit %d, %zu changes for %zu edits\n", lines,
                         r.status, changes, edits);
            ++failures;
        }
    }
    std::remove(a.c_str());
    std::remove(b.c_str());
    std::remove(out.c_str());
    rmdir(dir.c_str());
    return failures == 0 ? 0 : 1;
}
