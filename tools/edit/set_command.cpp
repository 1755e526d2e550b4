// pexilon-config set: values changed in place of the bytes that wrote them.
#include "cli_options.h"
#include "commands.h"
#include "edit/edit_input.h"
#include "edit/set_value.h"
#include "loaded_config.h"

namespace pexilon::tool {

const std::string_view set_help =
    R"(Sets each PATH to VALUE in FILE and prints the edited text (with -i,
writes it back). PATH is named as by get and `pexilon-config json`:
camera.width, camera.type, controls[Exposure].max_value, controls[0].code,
entries[3].values. VALUE is a number (decimal, or 0x hexadecimal), a text,
or for entries[N].values the numbers joined by commas.

Only the bytes of the changed value change: comments, blank lines, the
"=" or ":" and its spacing, an inline comment, the line end and a
byte-order mark are kept, and a hexadecimal number stays hexadecimal, with
its letter case and, where the value fits, its digit count. SIZE keeps
its other number. A value set to what it holds changes nothing. A key the
file lacks gets a line at the end of its section (the section added at the
end of the file when there is none).

Refused, with nothing written and exit status 2: a value the field cannot
hold (BIT_WIDTH=300, a negative unsigned field, a TYPE over 50 bytes,
a name over 127), an entry of more than 16 numbers, a path that names
nothing, a code line the reader would take for a block marker or a section
header, a line that would pass 199 bytes, and any result that would not read
back as the old record with exactly the change: each result is read again
and compared field by field.

Options:
  -i, --in-place  replace FILE (written beside it, flushed and renamed over
                  it; owner, mode, ACL and extended attributes kept)
  -h, --help      show this help and exit

Examples:
  pexilon-config set board.conf camera.width=1920
  pexilon-config set -i board.conf controls[Exposure].max_value=4000
  pexilon-config set - entries[3].values=0x12,0x0100,0x01 < in.conf > out.conf

FILE may be "-" for standard input (not with -i).

Exit status:
  0  done
  2  an edit was refused, FILE could not be read or written, or the
     command line is wrong
)";

int set_command(const std::vector<std::string> &args)
{
    bool in_place = false;
    std::vector<std::string> operands;
    std::string error;
    if (!edit_operands(args, true, in_place, operands, error))
        return usage_failure("set", error);
    if (operands.size() < 2)
        return usage_failure("set", "give a FILE and at least one PATH=VALUE");
    for (std::size_t i = 1; i < operands.size(); ++i)
        if (operands[i].find('=') == std::string::npos)
            return usage_failure("set", "'" + operands[i] + "' is not PATH=VALUE");
    return edit_each(
        operands, 1, in_place, true, [](const pexilon::document &doc, const std::string &operand) {
            const std::size_t equals = operand.find('=');
            return pexilon::edit::set_value(doc, std::string_view(operand).substr(0, equals),
                                            std::string_view(operand).substr(equals + 1));
        });
}

} // namespace pexilon::tool
