// The table of subcommands. To add one: write its entry point,
// `int NAME_command(args)`, and its help text in tools/NAME/NAME_command.cpp,
// declare them in commands.h, add a row here.
#include "subcommands.h"

#include <array>

#include "check_command/check_commands.h"
#include "commands.h"

namespace pexilon::tool {

namespace {

const std::array table{
    subcommand{"check", check_synopsis,
               "report every faulty line and every line read otherwise than it looks", check_help,
               check_command},
    subcommand{"explain", explain_synopsis, "print each line beside what was made of it",
               explain_help, explain_command},
    subcommand{"dump", "[OPTIONS] [FILE...]", "print the record in the library's diagnostic layout",
               dump_help, dump_command},
    subcommand{"json", "[OPTIONS] [FILE...]", "print the record as JSON", json_help, json_command},
    subcommand{"diff", "[OPTIONS] FILE1 FILE2", "compare the records two files yield", diff_help,
               diff_command},
    subcommand{"fmt", "[OPTIONS] [FILE...]",
               "lay files out in one layout, never changing the record", fmt_help, fmt_command,
               false},
    subcommand{"get", "[--json] FILE PATH...", "print the values paths name", get_help, get_command,
               false},
    subcommand{"set", "[-i] FILE PATH=VALUE...",
               "set values, changing only their bytes; each result read back", set_help,
               set_command, false},
    subcommand{"insert", "[-i] (--after=N | --section=NAME) FILE ENTRY... | --control=NAME FILE",
               "insert an entry line or add a control section", insert_help, insert_command, false},
    subcommand{"remove", "[-i] FILE ITEM...", "remove an entry's line or a control's section",
               remove_help, remove_command, false},
    subcommand{"from-json", "[FILE]", "write a new file for a record given as JSON", from_json_help,
               from_json_command, false},
    subcommand{"lsp", "[--stdio]", "serve the Language Server Protocol to an editor", lsp_help,
               lsp_command, false},
};

} // namespace

std::span<const subcommand> subcommands() { return table; }

const subcommand *find_subcommand(std::string_view name)
{
    for (const subcommand &each : table)
        if (each.name == name)
            return &each;
    return nullptr;
}

} // namespace pexilon::tool
