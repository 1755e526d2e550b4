// `pexilon-config lsp`: the language server on standard input and output.
#include <cstdio>

#include "cli_options.h"
#include "commands.h"
#include "server.h"

namespace pexilon_tool {

const std::string_view lsp_help =
    R"(Serves the Language Server Protocol on standard input and output, so that
an editor underlines faults and doubtful lines of a configuration file while
it is written. The editor starts the program; nobody types to it. It reads
the editor's text, never the file on disk, and takes no FILE.

Served: diagnostics after each change, hover (what a line became, and the
field a key fills), completion of section headers after "[" and of the
current section's keys, and the sections and controls as an outline.

Options:
  --stdio     talk on standard input and output (the only way; accepted
              because clients pass it)

Exit status:
  0  the client sent shutdown, then exit
  1  the client sent exit without shutdown, or the input ended first
  2  the command line is wrong
)";

int run_lsp(const std::vector<std::string> &args)
{
    for (const std::string &arg : args)
        if (arg != "--stdio")
            return usage_failure("lsp", "unknown argument '" + arg + "'");
    return pexilon_lsp::run_server(stdin, stdout);
}

} // namespace pexilon_tool
