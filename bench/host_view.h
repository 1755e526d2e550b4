// The parse as a host sees it: a fresh process with the allocator's own
// settings, each parse followed by the walk over the record and its release
// that a caller makes, run after run, each beside a run of the floor.
//
// The warm table of pexilon_bench keeps all freed memory in the process
// (mallopt), so that its parses are timed on pages already touched. A host
// does not: glibc gives a block above its mmap threshold fresh pages, and
// the last growth of a large params array lands there on every parse.
#pragma once

#include <string>
#include <vector>

namespace pexilon_bench {

// The floor: only the reading, line by line into a 200-byte buffer.
void read_lines_floor(const char *path);

struct host_result {
    double vs_floor = 0;   // median over the rounds of floor / (parse + walk + free)
    double floor_t = 0;    // median seconds of the floor
    double lib_t = 0;      // median seconds of parse, walk and release
    long faults = 0;       // page faults of one parse, walk and release (median)
    int status = -2;       // of the last parse
    unsigned params = 0;   // its entries
    unsigned controls = 0; // its controls
};

// --host-child: `rounds` parses of `path` after one of each to warm the
// caches, printed on standard output for measure_host.
int host_child(const char *path, int rounds);

// Settings a host can give glibc's allocator without a change to its code,
// so that a freed record's pages serve the next parse: no block from mmap
// (a threshold would stop at 32 MB), and the heap's top kept up to 1 GB.
inline constexpr const char *kept_pages_tunables =
    "glibc.malloc.mmap_max=0:glibc.malloc.trim_threshold=1073741824";

// Runs this program again, `args` after its name, in a new process image
// with the allocator's own settings (`tunables`, when given, as its
// GLIBC_TUNABLES) and returns the first line it prints; `ok` is false when
// it could not run or did not exit with 0.
std::string self_report(const std::vector<std::string> &args, const char *tunables, bool &ok);

// Runs host_child in a new process image (this program) and reads its
// report; `ok` is false when it could not. With `tuned`, the child runs with
// kept_pages_tunables in GLIBC_TUNABLES.
host_result measure_host(const std::string &path, int rounds, bool tuned, bool &ok);

} // namespace pexilon_bench
