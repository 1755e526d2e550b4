#include "host_view.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pexilon/config_parser.h"
#include "support/record_ops.h"

namespace pexilon_bench {

namespace {

volatile long sink; // keeps the loops from being optimised away

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start)
{
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

long minor_faults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

template <typename T>
T median(std::vector<T> v)
{
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// What a caller reads of the record: every entry and every control.
long walk(const parsed_config &c)
{
    long sum = static_cast<long>(c.camera.width) + c.camera.height;
    for (std::uint32_t i = 0; i < c.param_count; ++i) {
        const param_entry &e = c.params[i];
        sum += e.type + e.value_count;
        for (unsigned k = 0; k < e.value_count && k < 16; ++k)
            sum += e.values[k];
    }
    for (std::uint32_t i = 0; i < c.control_count; ++i)
        sum += c.controls[i].def + (c.controls[i].code != nullptr ? c.controls[i].code[0] : 0);
    return sum;
}

} // namespace

void read_lines_floor(const char *path)
{
    std::FILE *f = std::fopen(path, "r");
    char line[200];
    long n = 0;
    while (std::fgets(line, sizeof line, f) != nullptr)
        n += line[0];
    std::fclose(f);
    sink = n;
}

int host_child(const char *path, int rounds)
{
    if (rounds < 1) {
        std::fprintf(stderr, "pexilon_bench: --host-child wants one round or more\n");
        return 2;
    }
    std::vector<double> floor_t, lib_t, ratios;
    std::vector<long> faults;
    int status = 0;
    parsed_config c{};
    for (int round = -1; round < rounds; ++round) {
        auto start = clock_type::now();
        read_lines_floor(path);
        const double floor = seconds_since(start);
        const long before = minor_faults();
        start = clock_type::now();
        c = {};
        status = pexilon_parse_config(path, &c);
        const unsigned params = c.param_count, controls = c.control_count;
        sink = walk(c);
        pexilon::release_record(c);
        const double lib = seconds_since(start);
        c.param_count = params;
        c.control_count = controls;
        if (round < 0)
            continue; // the first of each fills the caches
        floor_t.push_back(floor);
        lib_t.push_back(lib);
        ratios.push_back(floor / lib);
        faults.push_back(minor_faults() - before);
    }
    std::printf("%.9f %.9f %.9f %ld %d %u %u\n", median(ratios), median(floor_t), median(lib_t),
                median(faults), status, c.param_count, c.control_count);
    return 0;
}

std::string self_report(const std::vector<std::string> &args, const char *tunables, bool &ok)
{
    ok = false;
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return {};
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        if (tunables != nullptr)
            setenv("GLIBC_TUNABLES", tunables, 1);
        else
            unsetenv("GLIBC_TUNABLES");
        std::vector<char *> argv{const_cast<char *>("pexilon_bench")};
        for (const std::string &arg : args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    close(fds[1]);
    char text[256] = {};
    std::FILE *in = fdopen(fds[0], "r");
    const bool got = in != nullptr && std::fgets(text, sizeof text, in) != nullptr;
    if (in != nullptr)
        std::fclose(in);
    else
        close(fds[0]);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    ok = got && WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0;
    return text;
}

host_result measure_host(const std::string &path, int rounds, bool tuned, bool &ok)
{
    host_result r;
    const std::string text = self_report({"--host-child", path, std::to_string(rounds)},
                                         tuned ? kept_pages_tunables : nullptr, ok);
    ok = ok && std::sscanf(text.c_str(), "%lf %lf %lf %ld %d %u %u", &r.vs_floor, &r.floor_t,
                           &r.lib_t, &r.faults, &r.status, &r.params, &r.controls) == 7;
    return r;
}

} // namespace pexilon_bench
