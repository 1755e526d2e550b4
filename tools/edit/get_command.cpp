// pexilon-config get: the values paths name, one a line or as JSON.
#include <cstdio>

#include "cli_options.h"
#include "commands.h"
#include "edit/edit_input.h"
#include "edit/path_value.h"
#include "json_writer.h"
#include "loaded_config.h"

namespace pexilon::tool {

const std::string_view get_help =
    R"(Prints the value each PATH names in the record FILE gives, one a line:
numbers in decimal, texts as they are, an entry's values joined by ", ",
a code text as it is (with its line ends). PATH is written as
`pexilon-config json` names the record:
  camera.width  camera.type  camera.format  ...
  controls[2].max_value  controls[Exposure].default  controls[0].code
  entries[3].values
A control is named by its index or by its CTRL_NAME.

Options:
  --json      print a JSON array of the values instead (null for no code)
  -h, --help  show this help and exit

Examples:
  pexilon-config get board.conf camera.format
  pexilon-config get --json board.conf camera.width camera.height

FILE may be "-" for standard input.

Exit status:
  0  every value printed
  2  a path names nothing, FILE could not be read, or the command line is wrong
)";

namespace {

void print_value(const pexilon::edit::path_value &value)
{
    using form = pexilon::edit::path_value::form;
    switch (value.shape) {
    case form::number:
        std::printf("%lld\n", static_cast<long long>(value.number));
        break;
    case form::numbers:
        for (std::size_t i = 0; i < value.numbers.size(); ++i)
            std::printf("%s%lld", i == 0 ? "" : ", ", static_cast<long long>(value.numbers[i]));
        std::printf("\n");
        break;
    case form::text:
        std::printf("%s%s", value.text.c_str(), value.text.ends_with('\n') ? "" : "\n");
        break;
    case form::none:
        std::printf("\n");
        break;
    }
}

void json_value(json_writer &out, const pexilon::edit::path_value &value)
{
    using form = pexilon::edit::path_value::form;
    if (value.shape == form::number) {
        out.number(value.number);
    } else if (value.shape == form::text) {
        out.string(value.text);
    } else if (value.shape == form::none) {
        out.null();
    } else {
        out.begin_array();
        for (const std::int64_t each : value.numbers)
            out.number(each);
        out.end_array();
    }
}

} // namespace

int get_command(const std::vector<std::string> &args)
{
    static const std::vector<option_def> defs{{"json", 0, false, 0}};
    parsed_arguments parsed;
    std::string error;
    if (!parse_arguments(args, defs, parsed, error) || !file_named_once(parsed.operands, error))
        return usage_failure("get", error);
    if (parsed.operands.size() < 2)
        return usage_failure("get", "give a FILE and at least one PATH");
    const std::optional<edit_input> input = read_edit_input(parsed.operands[0], false);
    if (!input)
        return status_failed;
    const pexilon::document doc(input->text);
    std::vector<pexilon::edit::path_value> values;
    for (std::size_t i = 1; i < parsed.operands.size(); ++i) {
        const auto value = pexilon::edit::value_at(doc.record(), parsed.operands[i], error);
        if (!value) {
            edit_complaint(input->shown, parsed.operands[i] + ": " + error);
            return status_failed;
        }
        values.push_back(*value);
    }
    if (parsed.options.empty()) {
        for (const auto &value : values)
            print_value(value);
        return status_ok;
    }
    json_writer out(stdout, true);
    out.begin_array();
    for (const auto &value : values)
        json_value(out, value);
    out.end_array();
    out.finish();
    return status_ok;
}

} // namespace pexilon::tool
