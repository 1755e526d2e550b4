// How long an editor waits for diagnostics while typing in a large file.
//
//   pexilon_bench_lsp [--smoke] [DIR]
//
// Generates a 10,000-line configuration file (the register table and the
// control sections, the two shapes people write), opens it in the language
// server, then sends didChange messages that each change one character, as
// a full-text client does on a keystroke, and times each from the message
// to the published diagnostics: reading the JSON, checking the whole text,
// writing the reply. Prints the median and the worst of 200 changes.
// --smoke runs 5 changes on 1000 lines. Exit status 1 when the server does
// not publish after every change.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "generate_config.h"
#include "server.h"

using namespace pexilon_bench;
using clock_type = std::chrono::steady_clock;

namespace {

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string message(const char *method, nlohmann::json params, int id = 0)
{
    nlohmann::json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    if (id != 0)
        m["id"] = id;
    return m.dump();
}

struct measured {
    double median_ms;
    double worst_ms;
    long published;
};

measured time_changes(const std::string &text, int changes)
{
    std::FILE *out = std::tmpfile();
    pexilon::lsp::server server(out);
    const std::string uri = "file:///bench.conf";
    server.handle_body(message("initialize", nlohmann::json::object(), 1));
    server.handle_body(
        message("textDocument/didOpen",
                {{"textDocument",
                  {{"uri", uri}, {"languageId", "pexilon"}, {"version", 1}, {"text", text}}}}));
    server.publish_pending();
    // A keystroke in the middle of the file: a digit of a number flips.
    const std::size_t at = text.find("0x", text.size() / 2) + 2;
    std::vector<double> ms;
    std::string edited = text;
    for (int i = 0; i < changes; ++i) {
        edited[at] = edited[at] == '1' ? '2' : '1';
        const std::string body =
            message("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", i + 2}}},
                                               {"contentChanges", {{{"text", edited}}}}});
        const auto start = clock_type::now();
        server.handle_body(body);
        server.publish_pending(); // as the loop does when no keystroke is waiting
        ms.push_back(std::chrono::duration<double, std::milli>(clock_type::now() - start).count());
    }
    // Every change must have published: count the replies in the output.
    std::rewind(out);
    long published = 0;
    std::string line;
    for (int c; (c = std::fgetc(out)) != EOF;) {
        line.push_back(static_cast<char>(c));
        if (line.size() > 64)
            line.erase(0, line.size() - 64);
        if (line.ends_with("publishDiagnostics"))
            ++published;
    }
    std::fclose(out);
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back(), published};
}

} // namespace

int main(int argc, char **argv)
{
    bool smoke = false;
    std::string dir = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--smoke")
            smoke = true;
        else
            dir = argv[i];
    }
    const std::size_t lines = smoke ? 1000 : 10000;
    const int changes = smoke ? 5 : 200;
    bool ok = true;
    std::printf("%-18s %8s %8s %12s %10s\n", "shape", "lines", "bytes", "median ms", "worst ms");
    for (shape s : {shape::register_table, shape::controls}) {
        const std::string path = dir + "/pexilon_bench_lsp_" + shape_name(s) + ".conf";
        generated_file file;
        if (!generate_config(path, s, lines, file)) {
            std::fprintf(stderr, "pexilon_bench_lsp: cannot write %s\n", path.c_str());
            return 1;
        }
        const std::string text = read_file(path);
        std::remove(path.c_str());
        const measured m = time_changes(text, changes);
        // The open publishes once more than the changes.
        if (m.published != changes + 1) {
            std::printf("CHECK FAILED: %ld diagnostics published for %d changes\n", m.published - 1,
                        changes);
            ok = false;
        }
        std::printf("%-18s %8zu %8zu %12.2f %10.2f\n", shape_name(s), file.lines, file.bytes,
                    m.median_ms, m.worst_ms);
    }
    return ok ? 0 : 1;
}
