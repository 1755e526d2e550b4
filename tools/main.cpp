// pexilon-config: checks, dumps, compares and converts camera module
// configuration files. The subcommands are listed in subcommands.cpp.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli_options.h"
#include "loaded_config.h"
#include "output_check.h"
#include "pexilon/config_parser.h"
#include "subcommands.h"

namespace {

using namespace pexilon::tool;

constexpr std::string_view files_help =
    R"(A FILE of "-" is standard input, which may be named once; with no FILE,
a subcommand reads standard input unless it is a terminal. "--" ends the
options. In text output, control characters in file names (a newline, a
tab, ...) are shown as '?', so that no name can start a line of its own.
)";

// The exit status of the commands that do not give their own.
constexpr std::string_view status_help = R"(
Exit status:
  0  every file read without fault (diff: the files are the same)
  1  a file has a faulty line (diff: the files differ)
  2  a file could not be opened or read, memory ran out, output could not
     be written, or the command line is wrong
)";

void print_program_help()
{
    std::printf("Usage: pexilon-config COMMAND [OPTIONS] [FILE...]\n"
                "       pexilon-config COMMAND --help\n"
                "       pexilon-config --help | --version\n\n"
                "Reads camera module configuration files and reports what they hold.\n\n"
                "Commands:\n");
    for (const subcommand &each : subcommands())
        std::printf("  %-8.*s %.*s\n", static_cast<int>(each.name.size()), each.name.data(),
                    static_cast<int>(each.summary.size()), each.summary.data());
    std::printf("\nOptions:\n"
                "  -h, --help     show this help, or a command's, and exit\n"
                "  -V, --version  show the version and exit\n\n%.*s%.*s",
                static_cast<int>(files_help.size()), files_help.data(),
                static_cast<int>(status_help.size()), status_help.data());
}

// A command that says what its exit status means is not told the common one
// besides.
void print_subcommand_help(const subcommand &which)
{
    const std::string_view files = which.reads_files ? files_help : std::string_view();
    const std::string_view status =
        which.reads_files && which.help.find("Exit status") == std::string_view::npos
            ? status_help
            : std::string_view();
    std::printf("Usage: pexilon-config %.*s %.*s\n\n%.*s%s%.*s%.*s",
                static_cast<int>(which.name.size()), which.name.data(),
                static_cast<int>(which.synopsis.size()), which.synopsis.data(),
                static_cast<int>(which.help.size()), which.help.data(), files.empty() ? "" : "\n",
                static_cast<int>(files.size()), files.data(), static_cast<int>(status.size()),
                status.data());
}

bool asks_for_help(const std::vector<std::string> &args)
{
    for (const std::string &arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

int dispatch(int argc, char **argv)
{
    if (argc < 2)
        return usage_failure("", "missing command");
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") {
        print_program_help();
        return status_ok;
    }
    if (first == "--version" || first == "-V") {
        std::printf("pexilon-config %s\n", PEXILON_CONFIG_PARSER_VERSION_STRING);
        return status_ok;
    }
    const subcommand *which = find_subcommand(first);
    if (which == nullptr) {
        const bool option = first.size() > 1 && first[0] == '-';
        std::vector<std::string> names;
        for (const subcommand &each : subcommands())
            names.emplace_back(each.name);
        return usage_failure(
            "", (option ? "unknown option '" : "unknown command '") + std::string(first) + "'" +
                    (option ? did_you_mean(first.substr(std::min(first.find_first_not_of('-'),
                                                                 first.size())),
                                           {"help", "version"}, "--")
                            : did_you_mean(first, names)));
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (asks_for_help(args)) {
        print_subcommand_help(*which);
        return status_ok;
    }
    return which->run(args);
}

// A full disk or a closed pipe must not pass for success, on either stream.
int checked_streams(int status)
{
    int out_error = 0;
    if (outputs_written(out_error))
        return status;
    if (out_error != 0)
        std::fprintf(stderr, "pexilon-config: write error on standard output: %s\n",
                     std::strerror(out_error));
    return status_failed;
}

} // namespace

int main(int argc, char **argv)
{
    int status = status_failed;
    try {
        status = dispatch(argc, argv);
    } catch (const std::bad_alloc &) {
        flush_output(stdout);
        std::fprintf(stderr, "pexilon-config: out of memory\n");
        status = status_failed;
    } catch (const std::exception &e) {
        flush_output(stdout);
        std::fprintf(stderr, "pexilon-config: %s\n", e.what());
        status = status_failed;
    }
    return checked_streams(status);
}
