// How long textDocument/formatting takes beside the formatter it wraps.
//
//   pexilon_bench_lsp_formatting [--smoke] [DIR]
//
// Generates a register table of about 8 MB (--smoke: 2000 lines), spoils
// its layout on every line (the spaces around "=" and "," dropped, so that
// each line changes), then times the formatter alone (what `fmt` does) and
// the server's edits of the same text (the formatter, the line diff and the
// positions), best of three each. Exit status 1 when the edits are missing.
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
double best_seconds(Run run)
{
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto started = clock_type::now();
        run();
        best = std::min(best, std::chrono::duration<double>(clock_type::now() - started).count());
    }
    return best;
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
    const double fmt = best_seconds([&] { (void)pexilon::check::format_text(text, {}); });
    const double lsp = best_seconds(
        [&] { edits = pexilon_lsp::format_edits(text, nlohmann::json::object()).size(); });
    std::printf("%zu bytes, %zu edits: formatter %.3f s, formatting request %.3f s\n", text.size(),
                edits, fmt, lsp);
    return edits != 0 ? 0 : 1;
}
