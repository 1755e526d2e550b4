// The command line of pexilon-config: a command and the files it works on.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace pexilon_tool {

enum class command { check, dump, json, help, version };

struct options {
    command what = command::help;
    std::vector<std::string> files; // "-" stands for standard input
};

// Reads argv. On a usage error returns false and puts the reason in `error`.
bool parse_options(int argc, char **argv, options &result, std::string &error);

void print_help(std::FILE *out);
void print_version(std::FILE *out);

// "pexilon-config: ERROR" and a hint to --help, on standard error.
void print_usage_error(const std::string &error);

} // namespace pexilon_tool
