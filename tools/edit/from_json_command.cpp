// pexilon-config from-json: a new file for a record given as the JSON that
// `pexilon-config json` prints.
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "cli_options.h"
#include "commands.h"
#include "config/record_fields.h"
#include "edit/edit_input.h"
#include "edit/field_values.h"
#include "edit/number_text.h"
#include "edit/record_writer.h"
#include "loaded_config.h"
#include "output_check.h"

namespace pexilon::tool {

const std::string_view from_json_help =
    R"(Reads one record as the JSON `pexilon-config json` prints (an object with
"camera", "entries" and "controls"; "file", "result" and "error" are
ignored, and so are an entry's "section", "header" and "key", which its
"type" says, and the "line" of entries and controls; numbers may be
"0x..." strings, as with json --hex) and prints a
new file in the layout of fmt whose record is exactly that one. The file is
read again before it is printed; a record no file can express is refused
with the reason, among them: an array of records, a field out of its
range, a text longer than its field, an entry type no section and key
give, more than 16 values, a reserved field not 0, a code text whose last
line has no line end or with a line the reader takes for a marker or a
header, a name with leading or trailing blanks (the reader trims them).

Options:
  -h, --help  show this help and exit

FILE may be "-" for standard input, which is read when FILE is not given.

Exit status:
  0  the file was printed
  2  the record was refused, FILE could not be read, or the command line is wrong
)";

namespace {

using nlohmann::json;

// A JSON number or a "0x..." string as a field's number.
std::int64_t number_in(const json &value, const std::string &where)
{
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_string())
        if (const auto parsed = pexilon::edit::parse_number(value.get<std::string>()))
            return *parsed;
    throw std::runtime_error(where + " is not a number");
}

void fields_in(const json &object, void *fields, std::span<const pexilon::record_member> members,
               const std::string &where)
{
    for (const pexilon::record_member &member : members) {
        const std::string at = where + "." + member.json_name;
        if (!object.contains(member.json_name))
            continue;
        if (member.form == pexilon::field_form::text) {
            const std::string text = object.at(member.json_name).get<std::string>();
            if (text.size() > member.size)
                throw std::runtime_error(at + " is longer than its " + std::to_string(member.size) +
                                         " bytes");
            std::memcpy(static_cast<char *>(fields) + member.offset, text.data(), text.size());
            continue;
        }
        const std::int64_t value = number_in(object.at(member.json_name), at);
        const pexilon::edit::number_range range = pexilon::edit::range_of(member);
        if (value < range.low || value > range.high)
            throw std::runtime_error(at + " is out of its range");
        pexilon::store_number(fields, member, value);
    }
}

pexilon::edit::record_copy record_in(const json &doc)
{
    if (!doc.is_object())
        throw std::runtime_error("the input is not one record object (an array is refused)");
    pexilon::edit::record_copy record{parsed_config{}};
    if (doc.contains("camera") && !doc.at("camera").is_null())
        fields_in(doc.at("camera"), &record.camera, pexilon::camera_members, "camera");
    for (const json &entry : doc.value("entries", json::array())) {
        const std::string at = "entries[" + std::to_string(record.params.size()) + "]";
        param_entry out{};
        out.type = static_cast<std::uint32_t>(number_in(entry.at("type"), at + ".type"));
        const json &values = entry.at("values");
        if (values.size() > std::size(out.values))
            throw std::runtime_error(at + " has more than 16 values");
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::int64_t value = number_in(values[i], at + ".values");
            if (value < 0 || value > pexilon::edit::entry_value_range().high)
                throw std::runtime_error(at + ".values holds a number out of range");
            out.values[i] = static_cast<std::uint32_t>(value);
        }
        out.value_count = static_cast<std::uint8_t>(values.size());
        record.params.push_back(out);
    }
    for (const json &control : doc.value("controls", json::array())) {
        const std::string at = "controls[" + std::to_string(record.controls.size()) + "]";
        control_entry out{};
        fields_in(control, &out, pexilon::control_members, at);
        const json code = control.value("code", json());
        record.insert_control(record.controls.size(), out,
                              code.is_null() ? std::nullopt
                                             : std::optional<std::string>(code.get<std::string>()));
    }
    return record;
}

} // namespace

int from_json_command(const std::vector<std::string> &args)
{
    parsed_arguments parsed;
    std::string error;
    std::vector<std::string> files;
    if (!parse_arguments(args, {}, parsed, error) || !input_files(parsed.operands, files, error))
        return usage_failure("from-json", error);
    if (files.size() != 1)
        return usage_failure("from-json", "one FILE: one record is written");
    const std::optional<edit_input> input = read_edit_input(files[0], false);
    if (!input)
        return status_failed;
    pexilon::edit::edit_outcome outcome;
    try {
        pexilon::edit::record_copy record = record_in(json::parse(input->text));
        outcome = pexilon::edit::write_record(record);
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &e) {
        outcome = pexilon::edit::refused(e.what());
    }
    if (!outcome.done) {
        edit_complaint(input->shown, "not written: " + outcome.reason);
        return status_failed;
    }
    if (std::fwrite(outcome.text.data(), 1, outcome.text.size(), stdout) != outcome.text.size())
        note_output_error(stdout);
    return status_ok;
}

} // namespace pexilon::tool
