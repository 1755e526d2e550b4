// The command line of pexilon-config: options and operands of a subcommand,
// the input files they name, and the usage messages.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon::tool {

// One option a subcommand accepts. `long_name` is matched as "--NAME",
// "--NAME=VALUE" or "--NAME VALUE"; `short_name` as "-X", "-XVALUE" or
// "-X VALUE". Options without a value may be bundled ("-ab").
struct option_def {
    std::string_view long_name; // "" for none
    char short_name;            // 0 for none
    bool takes_value;
    int id; // what parse_arguments reports for it
};

struct given_option {
    int id;
    std::string value; // "" for an option without a value
};

struct parsed_arguments {
    std::vector<given_option> options; // in command-line order
    std::vector<std::string> operands; // everything else; all after "--"
};

// Splits a subcommand's arguments into options and operands. Options and
// operands may be mixed; "--" ends the options and "-" is an operand. On an
// unknown option or a missing value returns false with the reason in `error`.
bool parse_arguments(const std::vector<std::string> &args, const std::vector<option_def> &defs,
                     parsed_arguments &result, std::string &error);

// The operands as input files. None means standard input when it is not a
// terminal. Standard input ("-") can be read once only, so a second "-" is
// a usage error, as are no files with a terminal on standard input.
bool input_files(std::vector<std::string> operands, std::vector<std::string> &files,
                 std::string &error);

// "; did you mean 'PREFIX NAME'?" for the one name of `names` nearest to a
// mistyped `written` (as keys are suggested: within a typo or two), or ""
// when none is that near.
std::string did_you_mean(std::string_view written, const std::vector<std::string> &names,
                         std::string_view prefix = "");

// "pexilon-config: ERROR" and a hint to --help, on standard error. Returns
// the exit status of a usage error, so that a subcommand can end with
// `return usage_failure(...)`.
int usage_failure(std::string_view subcommand, const std::string &error);

} // namespace pexilon::tool
