#include "edit/edit_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "cli_options.h"
#include "fmt/replace_file.h"
#include "input/input_reading.h"
#include "loaded_config.h"
#include "output_check.h"
#include "shown_name.h"

namespace pexilon::tool {

void edit_complaint(const std::string &shown, const std::string &what)
{
    flush_output(stdout);
    std::fprintf(stderr, "pexilon-config: %s: %s\n", shown.c_str(), what.c_str());
}

std::optional<edit_input> read_edit_input(const std::string &name, bool in_place)
{
    edit_input input{name, name == "-" ? "<stdin>" : shown_name(name), {}};
    if (std::string error; in_place && !replaceable(name, error)) {
        edit_complaint(input.shown, "not rewritten: " + error);
        return std::nullopt;
    }
    const pexilon::input::loaded_input loaded =
        name == "-" ? pexilon::input::read_stream(stdin) : pexilon::input::read_path(name.c_str());
    if (!loaded.opened || loaded.read_failed) {
        edit_complaint(input.shown,
                       std::string(loaded.opened ? "cannot read" : "cannot open") + ": " +
                           std::strerror(loaded.os_error != 0 ? loaded.os_error : EIO));
        return std::nullopt;
    }
    input.text = std::string(loaded.bytes.view());
    return input;
}

int write_edited(const edit_input &input, const std::string &text, bool in_place)
{
    if (!in_place) {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
            note_output_error(stdout);
        return status_ok;
    }
    std::string error;
    if (text != input.text && !replace_file(input.name, input.text, text, error)) {
        edit_complaint(input.shown, "not rewritten: " + error);
        return status_failed;
    }
    return status_ok;
}

int edit_each(const std::vector<std::string> &operands, std::size_t first, bool in_place,
              bool named, const document_edit &edit)
{
    const std::optional<edit_input> input = read_edit_input(operands[0], in_place);
    if (!input)
        return status_failed;
    std::string text = input->text;
    for (std::size_t i = first; i < operands.size(); ++i) {
        pexilon::edit::edit_outcome outcome = edit(pexilon::document(std::move(text)), operands[i]);
        if (!outcome.done) {
            edit_complaint(input->shown, (named ? operands[i] + ": " : "") + outcome.reason);
            return status_failed;
        }
        text = std::move(outcome.text);
    }
    return write_edited(*input, text, in_place);
}

bool file_named_once(const std::vector<std::string> &operands, std::string &error)
{
    for (std::size_t i = 1; i < operands.size(); ++i) {
        if (operands[i] == "-") {
            error = "'-' after FILE: one FILE is edited, and standard input can be read once only";
            return false;
        }
    }
    return true;
}

bool edit_operands(const std::vector<std::string> &args, bool allow_in_place, bool &in_place,
                   std::vector<std::string> &operands, std::string &error)
{
    static const std::vector<option_def> with{{"in-place", 'i', false, 0}};
    parsed_arguments parsed;
    if (!parse_arguments(args, allow_in_place ? with : std::vector<option_def>{}, parsed, error))
        return false;
    in_place = !parsed.options.empty();
    operands = std::move(parsed.operands);
    if (operands.empty()) {
        error = "missing FILE";
        return false;
    }
    if (!file_named_once(operands, error))
        return false;
    if (in_place && operands[0] == "-") {
        error = "--in-place cannot rewrite standard input";
        return false;
    }
    return true;
}

} // namespace pexilon::tool
