// Two builds of pexilon_parse_config side by side in one process.
//
//   pexilon_bench_ab [--rounds N] [--smoke] OLD.so NEW.so [DIR]
//
// Both shared objects are loaded with dlopen (RTLD_LOCAL, so each keeps its
// own symbols) and called in turn on the same generated files, so that a
// busy machine slows both alike. For each shape and size the program prints
// the median time of each build and the median of the per-round ratios
// new/old; a ratio above 1 means the new build is slower. The exit status
// is 1 when a build fails to load or a parse does not give the generated
// record, never because of a time.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "generate_config.h"
#include "pexilon/config_parser.h"
#include "support/record_ops.h"

using namespace pexilon_bench;

namespace {

using parse_fn = int (*)(const char *, parsed_config *);

struct build {
    const char *path;
    void *handle = nullptr;
    parse_fn parse = nullptr;
};

bool load(build &b)
{
    b.handle = dlopen(b.path, RTLD_NOW | RTLD_LOCAL);
    if (b.handle == nullptr) {
        std::fprintf(stderr, "pexilon_bench_ab: %s\n", dlerror());
        return false;
    }
    b.parse = reinterpret_cast<parse_fn>(dlsym(b.handle, "pexilon_parse_config"));
    if (b.parse == nullptr) {
        std::fprintf(stderr, "pexilon_bench_ab: %s has no pexilon_parse_config\n", b.path);
        return false;
    }
    return true;
}

// Seconds one parse takes; false when the record is not what was generated.
bool timed_parse(const build &b, const std::string &file, const generated_file &g, double &t)
{
    parsed_config c{};
    const auto start = std::chrono::steady_clock::now();
    const int status = b.parse(file.c_str(), &c);
    t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool ok = status == 0 && c.param_count == g.params && c.control_count == g.controls;
    pexilon::release_record(c);
    if (!ok)
        std::fprintf(stderr, "pexilon_bench_ab: %s gave status %d on %s\n", b.path, status,
                     file.c_str());
    return ok;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One shape and size: rounds of (old, new) or (new, old) alternately, so
// that neither build always runs on a cache the other has warmed.
bool compare(const build &old_b, const build &new_b, const char *name, const std::string &file,
             const generated_file &g, int rounds)
{
    std::vector<double> t_old, t_new, ratio;
    double t = 0;
    for (int warm = 0; warm < 2; ++warm)
        if (!timed_parse(old_b, file, g, t) || !timed_parse(new_b, file, g, t))
            return false;
    for (int r = 0; r < rounds; ++r) {
        double a = 0, b = 0;
        const bool ok = r % 2 == 0
                            ? timed_parse(old_b, file, g, a) && timed_parse(new_b, file, g, b)
                            : timed_parse(new_b, file, g, b) && timed_parse(old_b, file, g, a);
        if (!ok)
            return false;
        t_old.push_back(a);
        t_new.push_back(b);
        ratio.push_back(b / a);
    }
    std::printf("%-12s %8zu %6d %10.3f %10.3f %9.3f\n", name, g.lines, rounds, median(t_old) * 1e3,
                median(t_new) * 1e3, median(ratio));
    return true;
}

int usage(std::FILE *to, int status)
{
    std::fputs(
        "usage: pexilon_bench_ab [--rounds N] [--smoke] [--shape SHAPE]... OLD.so NEW.so [DIR]\n"
        "Times two builds of pexilon_parse_config in turn on generated files and\n"
        "prints the median ratio new/old per shape and size.\n",
        to);
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = 41;
    bool smoke = false;
    std::vector<const char *> args;
    std::vector<std::string> only; // shapes named with --shape: only these
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return usage(stdout, 0);
        if (std::strcmp(argv[i], "--smoke") == 0)
            smoke = true;
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--shape") == 0 && i + 1 < argc)
            only.push_back(argv[++i]);
        else
            args.push_back(argv[i]);
    }
    if (args.size() < 2 || args.size() > 3)
        return usage(stderr, 2);
    build old_b{args[0]}, new_b{args[1]};
    if (!load(old_b) || !load(new_b))
        return 1;
    std::string dir = args.size() == 3 ? args[2] : "/tmp";
    dir += "/pexilon_bench_ab.XXXXXX";
    if (mkdtemp(dir.data()) == nullptr) {
        std::perror("pexilon_bench_ab: mkdtemp");
        return 1;
    }
    const std::size_t sizes[] = {1000, 10000, 100000, 1000000};
    std::printf("%-12s %8s %6s %10s %10s %9s\n", "shape", "lines", "rounds", "old ms", "new ms",
                "new/old");
    bool ok = true;
    for (const shape s : all_shapes) {
        if (!only.empty() && std::find(only.begin(), only.end(), shape_name(s)) == only.end())
            continue;
        for (const std::size_t lines : sizes) {
            if (smoke && lines > 1000)
                break;
            const std::string file = dir + "/" + shape_name(s) + ".conf";
            generated_file g;
            ok = generate_config(file, s, lines, g) &&
                 compare(old_b, new_b, shape_name(s), file, g,
                         smoke              ? 1
                         : lines >= 1000000 ? rounds / 4
                                            : rounds) &&
                 ok;
            std::remove(file.c_str());
        }
    }
    rmdir(dir.c_str());
    return ok ? 0 : 1;
}
