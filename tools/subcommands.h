// The subcommands of pexilon-config, as a table: the program's help, the
// dispatch and the shell completion are all read from it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon::tool {

struct subcommand {
    std::string_view name;     // "check"
    std::string_view synopsis; // what follows the name in a usage line
    std::string_view summary;  // one line for the program's --help
    // The subcommand's own help: what it prints and its options. Shown by
    // "pexilon-config NAME --help" after the usage line.
    std::string_view help;
    // Runs with the arguments after the name ("--help" already handled) and
    // returns the exit status. Writes go through stdio; the caller flushes
    // and checks every stream afterwards.
    int (*run)(const std::vector<std::string> &args);
    // False for a subcommand that reads no configuration file (lsp): its
    // help then leaves out what the others say about files and exit status.
    bool reads_files = true;
};

// Every subcommand, in the order the help lists them.
std::span<const subcommand> subcommands();

const subcommand *find_subcommand(std::string_view name);

} // namespace pexilon::tool
