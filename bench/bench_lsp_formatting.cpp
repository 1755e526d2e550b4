// How long textDocument/formatting takes beside the formatter it wraps.
//
//   pexilon_bench_lsp_formatting [--smoke] [DIR]
//
// Generates a register table of about 8 MB (--smoke: 2000 lines), spoils
// its layout on every line (the spaces around "=" and "," dropped, so that
// each line changes), then times the formatter alone (what `fmt` does) and
// the server's edits of the same text (the formatter, the line diff and the
// positions) and the whole request as a client sees it (the message read,
// the edits found, the reply built and written to /dev/null), best of three
// each, taken in turn. Exit status 1 when the edits are missing or the reply
// is not a result.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "format/formatter.h"
#include "formatting.h"
#include "generate_config.h"
#include "server.h"

using namespace pexilon_bench;
using clock_type = std::chrono::steady_clock;

namespace {

std::string spoiled(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    std::string out;
    for (const char c : read.str())
        if (c != ' ')
            out.push_back(c);
    return out;
}

template <typename Run>
double seconds(Run run)
{
    const auto started = clock_type::now();
    run();
    return std::chrono::duration<double>(clock_type::now() - started).count();
}

// A server that holds `text` open, as an editor leaves it before asking.
void open_in(pexilon::lsp::server &session, const std::string &text)
{
    session.handle_body(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
    const nlohmann::json open = {{"jsonrpc", "2.0"},
                                 {"method", "textDocument/didOpen"},
                                 {"params",
                                  {{"textDocument",
                                    {{"uri", "file:///bench.conf"},
                                     {"languageId", "pexilon"},
                                     {"version", 1},
                                     {"text", text}}}}}};
    session.handle_body(open.dump());
}

const std::string format_request = R"({"jsonrpc":"2.0","id":2,"method":"textDocument/formatting",)"
                                   R"("params":{"textDocument":{"uri":"file:///bench.conf"},)"
                                   R"("options":{"tabSize":4,"insertSpaces":true}}})";

// The reply the server writes to `out` for the formatting request.
void answer_request(pexilon::lsp::server &session) { session.handle_body(format_request); }

// True when the server answers the request with a result of edits.
bool answers_with_edits(const std::string &text)
{
    std::FILE *out = std::tmpfile();
    if (out == nullptr)
        return false;
    {
        pexilon::lsp::server session(out);
        open_in(session, text);
        std::fflush(out);
        const long opened = std::ftell(out);
        answer_request(session);
        std::fflush(out);
        std::fseek(out, opened, SEEK_SET);
    }
    std::string reply(256, '\0');
    reply.resize(std::fread(reply.data(), 1, reply.size(), out));
    std::fclose(out);
    return reply.find(R"("id":2,"result":[{)") != std::string::npos ||
           reply.find(R"("result":[{)") != std::string::npos;
}

} // namespace

int main(int argc, char **argv)
{
    bool smoke = false;
    std::string dir = "/tmp";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--smoke")
            smoke = true;
        else
            dir = argv[i];
    }
    const std::string path = dir + "/bench_lsp_formatting.conf";
    generated_file made;
    if (!generate_config(path, shape::register_table, smoke ? 2000 : 400000, made))
        return 1;
    const std::string text = spoiled(path);
    std::remove(path.c_str());
    std::size_t edits = 0;
    std::FILE *null = std::fopen("/dev/null", "w");
    if (null == nullptr)
        return 1;
    pexilon::lsp::server session(null);
    open_in(session, text);
    double fmt = 1e30, lsp = 1e30, request = 1e30;
    // In turn, so that a busy spell of the machine slows all three.
    for (int i = 0; i < 3; ++i) {
        fmt = std::min(fmt, seconds([&] { (void)pexilon::format::format_text(text, {}); }));
        lsp = std::min(lsp, seconds([&] {
                           edits =
                               pexilon::lsp::format_edits(text, nlohmann::json::object()).size();
                       }));
        request = std::min(request, seconds([&] { answer_request(session); }));
    }
    std::fclose(null);
    const bool answered = answers_with_edits(text);
    std::printf("%zu bytes, %zu edits: formatter %.3f s, edits %.3f s (%.2fx), whole request "
                "%.3f s (%.2fx)%s\n",
                text.size(), edits, fmt, lsp, lsp / fmt, request, request / fmt,
                answered ? "" : "; NO RESULT");
    return edits != 0 && answered ? 0 : 1;
}
