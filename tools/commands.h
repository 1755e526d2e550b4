// The subcommands of pexilon-config: for each, the function that runs it
// (arguments after its name; returns the exit status) and its help text.
// subcommands.cpp lists them in a table. check and explain, built on the
// checker, are declared in check_command/check_commands.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pexilon::tool {

extern const std::string_view dump_help;
int dump_command(const std::vector<std::string> &args);

extern const std::string_view json_help;
int json_command(const std::vector<std::string> &args);

extern const std::string_view diff_help;
int diff_command(const std::vector<std::string> &args);

extern const std::string_view fmt_help;
int fmt_command(const std::vector<std::string> &args);

extern const std::string_view get_help;
int get_command(const std::vector<std::string> &args);

extern const std::string_view set_help;
int set_command(const std::vector<std::string> &args);

extern const std::string_view insert_help;
int insert_command(const std::vector<std::string> &args);

extern const std::string_view remove_help;
int remove_command(const std::vector<std::string> &args);

extern const std::string_view from_json_help;
int from_json_command(const std::vector<std::string> &args);

extern const std::string_view lsp_help;
int lsp_command(const std::vector<std::string> &args);

} // namespace pexilon::tool
