// pexilon-config insert and remove: whole lines put in or taken out.
#include <optional>

#include "cli_options.h"
#include "commands.h"
#include "edit/edit_input.h"
#include "edit/edit_path.h"
#include "edit/line_edits.h"
#include "loaded_config.h"

namespace pexilon::tool {

const std::string_view insert_help =
    R"(Inserts an entry line, or adds a control section, and prints the edited
text (with -i, writes it back). Every other line is kept byte for byte;
the new line uses the file's line ends and the layout of fmt
("KEY = 1, 0x2C"), its numbers written as given.

Options:
  --after=N        put each ENTRY after entries[N] (after the lines that
                   continue it), in its section
  --section=NAME   put each ENTRY at the end of the last section NAME,
                   named as json names it ("board parameter||dev2") or as a
                   header writes it ("[board parameter][dev2]"); the
                   section is added at the end of the file if there is none
  --control=NAME   add a control section whose CTRL_NAME is NAME
  -i, --in-place   replace FILE atomically, as set -i does
  -h, --help       show this help and exit

ENTRY is KEY=NUMBERS, KEY one of REG, DELAY, VRCMD:
  pexilon-config insert --after=3 board.conf REG=0x12,0x0102,0x01
  pexilon-config insert -i --section="[register parameter]" board.conf DELAY=5
  pexilon-config insert --control=Zoom board.conf

Each result is read again and must hold the old record with exactly the
new entry or control; otherwise nothing is written and the status is 2.

One of --after, --section and --control is given.

Exit status:
  0  done
  2  refused, FILE could not be read or written, or the command line is wrong
)";

const std::string_view remove_help =
    R"(Removes each ITEM from FILE and prints the edited text (with -i, writes
it back). ITEM is entries[N] (the entry's line) or controls[N] or
controls[CTRL_NAME] (its section with its code block; the comments and
blank lines at its end, before the next section, stay). Items are removed
one after another, so indexes count what is left:
  pexilon-config remove -i board.conf 'entries[3]' 'controls[Zoom]'

Options:
  -i, --in-place  replace FILE atomically, as set -i does
  -h, --help      show this help and exit

Exit status:
  0  done
  2  refused, FILE could not be read or written, or the command line is wrong
)";

namespace {

enum insert_option { opt_in_place, opt_after, opt_section, opt_control };

pexilon::edit::edit_outcome insert_one(const pexilon::document &doc, const given_option &where,
                                       const std::string &operand)
{
    if (where.id == opt_section)
        return pexilon::edit::insert_entry_in(doc, where.value, operand);
    std::size_t after = 0;
    try {
        after = std::stoul(where.value);
    } catch (const std::exception &) {
        return pexilon::edit::refused("--after takes an entry's index, not '" + where.value + "'");
    }
    return pexilon::edit::insert_entry_after(doc, after, operand);
}

pexilon::edit::edit_outcome remove_one(const pexilon::document &doc, const std::string &item)
{
    pexilon::edit::path_target target{};
    std::size_t index = 0;
    std::string error;
    if (!pexilon::edit::resolve_item(item, doc.record(), target, index, error))
        return pexilon::edit::refused(error);
    return target == pexilon::edit::path_target::entry ? pexilon::edit::remove_entry(doc, index)
                                                       : pexilon::edit::remove_control(doc, index);
}

} // namespace

int insert_command(const std::vector<std::string> &args)
{
    static const std::vector<option_def> defs{{"in-place", 'i', false, opt_in_place},
                                              {"after", 0, true, opt_after},
                                              {"section", 0, true, opt_section},
                                              {"control", 0, true, opt_control}};
    parsed_arguments parsed;
    std::string error;
    if (!parse_arguments(args, defs, parsed, error) || !file_named_once(parsed.operands, error))
        return usage_failure("insert", error);
    bool in_place = false;
    std::optional<given_option> where;
    for (const given_option &option : parsed.options)
        (option.id == opt_in_place ? (void)(in_place = true) : (void)(where = option));
    if (!where || parsed.operands.empty() ||
        (where->id == opt_control) != (parsed.operands.size() == 1))
        return usage_failure("insert",
                             "give FILE and --control=NAME, or --after/--section and ENTRY...");
    if (in_place && parsed.operands[0] == "-")
        return usage_failure("insert", "--in-place cannot rewrite standard input");
    const given_option place = *where;
    return edit_each(parsed.operands, place.id == opt_control ? 0 : 1, in_place, false,
                     [&place](const pexilon::document &doc, const std::string &operand) {
                         return place.id == opt_control
                                    ? pexilon::edit::add_control(doc, place.value)
                                    : insert_one(doc, place, operand);
                     });
}

int remove_command(const std::vector<std::string> &args)
{
    bool in_place = false;
    std::vector<std::string> operands;
    std::string error;
    if (!edit_operands(args, true, in_place, operands, error))
        return usage_failure("remove", error);
    if (operands.size() < 2)
        return usage_failure("remove", "give a FILE and at least one ITEM");
    return edit_each(operands, 1, in_place, true, remove_one);
}

} // namespace pexilon::tool
