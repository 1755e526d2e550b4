#include "edit/path_value.h"

#include "config/record_fields.h"
#include "edit/edit_path.h"

namespace pexilon::edit {

std::optional<path_value> value_at(const parsed_config &record, std::string_view text,
                                   std::string &error)
{
    edit_path path;
    if (!resolve_path(text, record, path, error))
        return std::nullopt;
    path_value value;
    if (path.target == path_target::entry) {
        const param_entry &entry = record.params[path.index];
        value.shape = path_value::form::numbers;
        value.numbers.assign(entry.values, entry.values + entry.value_count);
        return value;
    }
    if (path.code) {
        const char *code = record.controls[path.index].code;
        value.shape = code != nullptr ? path_value::form::text : path_value::form::none;
        value.text = code != nullptr ? code : "";
        return value;
    }
    const void *fields = path.target == path_target::camera
                             ? static_cast<const void *>(&record.camera)
                             : static_cast<const void *>(&record.controls[path.index]);
    if (path.member->form == field_form::text) {
        value.shape = path_value::form::text;
        value.text = text_of(fields, *path.member);
    } else {
        value.shape = path_value::form::number;
        value.number = number_of(fields, *path.member);
    }
    return value;
}

} // namespace pexilon::edit
