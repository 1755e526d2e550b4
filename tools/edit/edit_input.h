// The file an edit command reads: its bytes (standard input for "-"), the
// name to show in messages, and the report of what went wrong.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "edit/verify.h"

namespace pexilon::tool {

struct edit_input {
    std::string name;  // as given; "-" for standard input
    std::string shown; // as messages name it
    std::string text;
};

// Reads `name`; on failure reports it on standard error and returns nothing.
// `in_place`: the file must be one replace_file can replace, asked before
// it is read.
std::optional<edit_input> read_edit_input(const std::string &name, bool in_place);

// "pexilon-config: FILE: what" on standard error, after standard output.
void edit_complaint(const std::string &shown, const std::string &what);

// Writes an edit's result: to standard output, or over the file with
// `in_place`. Returns the exit status.
int write_edited(const edit_input &input, const std::string &text, bool in_place);

// One edit, made on the document of the text the edits before it left.
using document_edit =
    std::function<pexilon::edit::edit_outcome(const pexilon::document &, const std::string &)>;

// Reads FILE (operands[0]) and makes `edit` with each operand from `first`
// on, in turn; the first refusal is reported ("WHAT: why" when the operand
// is `named`) and nothing is written. Returns the exit status.
int edit_each(const std::vector<std::string> &operands, std::size_t first, bool in_place,
              bool named, const document_edit &edit);

// The operands after FILE are paths or entries, never another "-".
bool file_named_once(const std::vector<std::string> &operands, std::string &error);

// The arguments' shared options: -i, --in-place. The rest are operands.
bool edit_operands(const std::vector<std::string> &args, bool allow_in_place, bool &in_place,
                   std::vector<std::string> &operands, std::string &error);

} // namespace pexilon::tool
