// How long an editor waits for a hover and a completion in a large file.
//
//   pexilon_bench_lsp_requests PROGRAM [--smoke] [DIR]
//
// Runs `PROGRAM lsp` as an editor does, over pipes, so that any build of
// the program (today's, or an older one kept for comparison) is timed the
// same way. Opens a 100,000-line file (the register table shape), waits for
// its diagnostics, then times 50 hovers and 50 completions at lines spread
// over the file, each from the request to its answer; then changes one
// character and times the first hover and completion after the change.
// --smoke opens 1000 lines and asks 5 of each. Exit status 1 when an answer
// is missing or malformed.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "generate_config.h"

using namespace pexilon_bench;
using clock_type = std::chrono::steady_clock;

namespace {

class lsp_process {
public:
    explicit lsp_process(const char *program)
    {
        int to[2];
        int from[2];
        if (::pipe(to) != 0 || ::pipe(from) != 0)
            std::exit(2);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(to[0], 0);
            ::dup2(from[1], 1);
            ::close(to[1]);
            ::close(from[0]);
            ::execl(program, program, "lsp", static_cast<char *>(nullptr));
            std::_Exit(127);
        }
        ::close(to[0]);
        ::close(from[1]);
        in_ = ::fdopen(to[1], "w");
        out_ = ::fdopen(from[0], "r");
    }

    ~lsp_process()
    {
        std::fclose(in_);
        std::fclose(out_);
        ::waitpid(pid_, nullptr, 0);
    }

    void send(const nlohmann::json &message)
    {
        const std::string body = message.dump();
        std::fprintf(in_, "Content-Length: %zu\r\n\r\n%s", body.size(), body.c_str());
        std::fflush(in_);
    }

    // The next message the server writes (null at the end of its output).
    nlohmann::json receive()
    {
        std::size_t length = 0;
        char header[256];
        while (std::fgets(header, sizeof header, out_) != nullptr && header[0] != '\r')
            std::sscanf(header, "Content-Length: %zu", &length);
        std::string body(length, '\0');
        if (length == 0 || std::fread(body.data(), 1, length, out_) != length)
            return nullptr;
        return nlohmann::json::parse(body);
    }

    // Reads until the answer to `id`, or the first message of `method`.
    nlohmann::json wait_for(int id, const char *method = "")
    {
        for (nlohmann::json m = receive(); !m.is_null(); m = receive())
            if ((m.contains("id") && m["id"] == id) || m.value("method", "") == method)
                return m;
        return nullptr;
    }

private:
    pid_t pid_ = -1;
    std::FILE *in_ = nullptr;
    std::FILE *out_ = nullptr;
};

nlohmann::json request(int id, const char *method, nlohmann::json params)
{
    return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

nlohmann::json at_line(std::size_t line)
{
    return {{"textDocument", {{"uri", "file:///bench.conf"}}},
            {"position", {{"line", line}, {"character", 0}}}};
}

struct timing {
    std::vector<double> ms;
    bool ok = true;
    void report(const char *what) const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%-28s %6zu %10.2f %10.2f\n", what, sorted.size(), sorted[sorted.size() / 2],
                    sorted.back());
    }
};

// Asks `method` at `line` and times the answer; `key` must be in it.
void ask(lsp_process &lsp, timing &t, int id, const char *method, std::size_t line, const char *key)
{
    const auto start = clock_type::now();
    lsp.send(request(id, method, at_line(line)));
    const nlohmann::json answer = lsp.wait_for(id);
    t.ms.push_back(std::chrono::duration<double, std::milli>(clock_type::now() - start).count());
    t.ok = t.ok && answer.contains("result") && answer["result"].is_object() &&
           answer["result"].contains(key);
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct run_options {
    bool smoke = false;
    std::string dir;
};

int run(const char *program, const run_options &options)
{
    const std::size_t lines = options.smoke ? 1000 : 100000;
    const int asks = options.smoke ? 5 : 50;
    const std::string path = options.dir + "/pexilon_bench_lsp_requests.conf";
    generated_file file;
    if (!generate_config(path, shape::register_table, lines, file))
        return 2;
    std::string text = read_file(path);
    std::remove(path.c_str());

    lsp_process lsp(program);
    lsp.send(request(1, "initialize", nlohmann::json::object()));
    lsp.wait_for(1);
    lsp.send({{"jsonrpc", "2.0"},
              {"method", "textDocument/didOpen"},
              {"params",
               {{"textDocument",
                 {{"uri", "file:///bench.conf"},
                  {"languageId", "pexilon"},
                  {"version", 1},
                  {"text", text}}}}}});
    lsp.wait_for(-1, "textDocument/publishDiagnostics");

    timing hovers, completions, first_hover, first_completion;
    int id = 2;
    for (int i = 0; i < asks; ++i) {
        const std::size_t line = (lines - 2) * static_cast<std::size_t>(i + 1) / (asks + 1);
        ask(lsp, hovers, id++, "textDocument/hover", line, "contents");
        ask(lsp, completions, id++, "textDocument/completion", line, "items");
    }
    // One character changed: the document is read again for its new version.
    const std::size_t flip = text.find("0x", text.size() / 2) + 2;
    text[flip] = text[flip] == '1' ? '2' : '1';
    lsp.send({{"jsonrpc", "2.0"},
              {"method", "textDocument/didChange"},
              {"params",
               {{"textDocument", {{"uri", "file:///bench.conf"}, {"version", 2}}},
                {"contentChanges", {{{"text", text}}}}}}});
    lsp.wait_for(-1, "textDocument/publishDiagnostics");
    ask(lsp, first_completion, id++, "textDocument/completion", lines / 2, "items");
    ask(lsp, first_hover, id++, "textDocument/hover", lines / 2, "contents");

    std::printf("%zu lines, %zu bytes\n%-28s %6s %10s %10s\n", file.lines, file.bytes, "request",
                "asked", "median ms", "worst ms");
    hovers.report("hover");
    completions.report("completion");
    first_completion.report("completion after a change");
    first_hover.report("hover after a change");
    lsp.send(request(id, "shutdown", nullptr));
    lsp.wait_for(id);
    lsp.send({{"jsonrpc", "2.0"}, {"method", "exit"}});
    const bool ok = hovers.ok && completions.ok && first_hover.ok && first_completion.ok;
    if (!ok)
        std::printf("CHECK FAILED: an answer is missing\n");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: pexilon_bench_lsp_requests PROGRAM [--smoke] [DIR]\n");
        return 2;
    }
    run_options options;
    options.dir = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--smoke")
            options.smoke = true;
        else
            options.dir = argv[i];
    }
    try {
        return run(argv[1], options);
    } catch (const std::exception &e) { // an answer that is no JSON, memory run out
        std::fprintf(stderr, "pexilon_bench_lsp_requests: %s\n", e.what());
        return 1;
    }
}
