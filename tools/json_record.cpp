// Conversion of a parsed_config and its parse report to JSON.
#include "json_record.h"

#include <cstring>
#include <string>

#include "config/code_tables.h"

namespace pexilon_tool {

namespace {

using json = nlohmann::ordered_json;

// A fixed-size text field up to its terminator or the end of the field.
std::string field_text(const char *field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

json name_or_null(const char *name)
{
    return name != nullptr ? json(name) : json(nullptr);
}

json camera_json(const camera_settings &camera)
{
    return json{
        {"cfg_mode", camera.cfg_mode},
        {"type", field_text(camera.type, sizeof camera.type)},
        {"width", camera.width},
        {"height", camera.height},
        {"bit_width", camera.bit_width},
        {"format", camera.format},
        {"i2c_mode", camera.i2c_mode},
        {"i2c_addr", camera.i2c_addr},
        {"trans_lvl", camera.trans_lvl},
    };
}

json entry_json(const param_entry &entry)
{
    // The upper 16 bits name the section (kind and variant), the lower the key.
    const std::uint32_t section = entry.type & 0xFFFF0000u;
    const std::uint32_t key = entry.type & 0x0000FFFFu;
    json values = json::array();
    for (unsigned i = 0; i < entry.value_count && i < 16; ++i)
        values.push_back(entry.values[i]);
    return json{
        {"section", name_or_null(pexilon::lookup_name(pexilon::section_codes, section))},
        {"key", name_or_null(pexilon::lookup_name(pexilon::param_keys, key))},
        {"type", entry.type},
        {"values", std::move(values)},
    };
}

json control_json(const control_entry &control)
{
    return json{
        {"min_value", control.min_value},
        {"max_value", control.max_value},
        {"step", control.step},
        {"def", control.def},
        {"reserved", control.reserved},
        {"ctrl_name", field_text(control.ctrl_name, sizeof control.ctrl_name)},
        {"func_name", field_text(control.func_name, sizeof control.func_name)},
        {"code", control.code != nullptr ? json(control.code) : json(nullptr)},
    };
}

} // namespace

json to_json(const loaded_config &file)
{
    const parsed_config &record = file.record();
    json entries = json::array();
    for (std::uint32_t i = 0; i < record.param_count && record.params != nullptr; ++i)
        entries.push_back(entry_json(record.params[i]));
    json controls = json::array();
    for (std::uint32_t i = 0; i < record.control_count && record.controls != nullptr; ++i)
        controls.push_back(control_json(record.controls[i]));
    return json{
        {"file", file.name()},
        {"result", file.result()},
        {"error", file.ok() ? json(nullptr) : json(file.error_text())},
        {"camera", camera_json(record.camera)},
        {"entries", std::move(entries)},
        {"controls", std::move(controls)},
    };
}

} // namespace pexilon_tool
