// `pexilon-config lsp`: the language server on standard input and output.
#include <unistd.h>

#include <cstdio>

#include "cli_options.h"
#include "commands.h"
#include "server.h"

namespace pexilon::tool {

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
  1  the client sent exit without shutdown, or the input ended first, or
     the client stopped reading (the cause is shown on standard error)
  2  the command line is wrong
)";

int lsp_command(const std::vector<std::string> &args)
{
    for (const std::string &arg : args)
        if (arg != "--stdio")
            return usage_failure("lsp", "unknown argument '" + arg + "'");
    // The server writes to a stream of its own on the same descriptor: when
    // the client goes away, the failed write is the server's to report (as
    // exit status 1), not a write error of the program's standard output.
    const int descriptor = dup(STDOUT_FILENO);
    std::FILE *out = descriptor >= 0 ? fdopen(descriptor, "w") : nullptr;
    if (out == nullptr) {
        if (descriptor >= 0)
            close(descriptor);
        return pexilon::lsp::run_server(stdin, stdout);
    }
    const int status = pexilon::lsp::run_server(stdin, out);
    std::fclose(out); // every message was flushed when sent
    return status;
}

} // namespace pexilon::tool
