// Command-line parsing, help and version text of pexilon-config.
#include "cli_options.h"

#include <string_view>

#include "pexilon/config_parser.h"

namespace pexilon_tool {

namespace {

constexpr const char *program_name = "pexilon-config";

bool is_help(std::string_view arg) { return arg == "--help" || arg == "-h"; }
bool is_version(std::string_view arg) { return arg == "--version" || arg == "-V"; }

bool command_named(std::string_view name, command &what)
{
    if (name == "check")
        what = command::check;
    else if (name == "dump")
        what = command::dump;
    else if (name == "json")
        what = command::json;
    else
        return false;
    return true;
}

} // namespace

bool parse_options(int argc, char **argv, options &result, std::string &error)
{
    result = options{};
    if (argc < 2) {
        error = "missing command";
        return false;
    }
    const std::string_view first = argv[1];
    if (is_help(first)) {
        result.what = command::help;
        return true;
    }
    if (is_version(first)) {
        result.what = command::version;
        return true;
    }
    if (!command_named(first, result.what)) {
        error = (first.size() > 1 && first[0] == '-' ? "unknown option '" : "unknown command '") +
                std::string(first) + "'";
        return false;
    }

    bool options_done = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!options_done && arg == "--") {
            options_done = true;
        } else if (!options_done && is_help(arg)) {
            result.what = command::help;
            result.files.clear();
            return true;
        } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        } else {
            result.files.emplace_back(arg);
        }
    }
    if (result.files.empty()) {
        error = "no FILE given to '" + std::string(first) + "'";
        return false;
    }
    return true;
}

void print_help(std::FILE *out)
{
    std::fprintf(out, "%s",
R"(Usage: pexilon-config COMMAND FILE...
       pexilon-config --help | --version

Reads camera module configuration files and reports what they hold.
A FILE of "-" is standard input; "--" ends the options.

Commands:
  check   print "FILE: ok" for every well-formed file, otherwise
          "FILE:LINE: error: REASON" for the first faulty line, or
          "FILE: error: cannot open: REASON", on standard output.
  dump    print the record in the library's diagnostic layout: the camera
          settings, group headers and control entries on standard error, the
          numbers of the board and register entries on standard output. With
          several files a "==> FILE <==" line on standard error starts each.
          A faulty file is still printed; its fault goes to standard error
          in the format of 'check'.
  json    print the record as JSON on standard output: one object per file
          with "file", "result", "error", "camera", "entries" and
          "controls"; an array of them when several files are given.
          Text fields are copied byte for byte; bytes that are not valid
          UTF-8 are each replaced by U+FFFD, so the output is always valid
          JSON.

Options:
  -h, --help     show this help and exit
  -V, --version  show the version and exit

Exit status:
  0  every file read without fault
  1  a file has a faulty line (and none of the errors below)
  2  a file could not be opened or read, or the command line is wrong
)");
}

void print_version(std::FILE *out)
{
    std::fprintf(out, "%s %s\n", program_name, PEXILON_CONFIG_PARSER_VERSION_STRING);
}

void print_usage_error(const std::string &error)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program_name,
                 error.c_str(), program_name);
}

} // namespace pexilon_tool
