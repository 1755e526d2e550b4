// The section headers and keys of the dialect, with the fields they fill.
#include "section_keys.h"

#include <iterator>
#include <span>

#include "config/code_tables.h"
#include "config/section_names.h"

namespace pexilon::lsp {

namespace {

// The C type of a record field: "uint16_t", "int64_t", "char[128]".
std::string c_type(const pexilon::record_member &member)
{
    if (member.form == pexilon::field_form::text)
        return "char[" + std::to_string(member.size) + "]";
    return std::string(member.is_signed ? "int" : "uint") + std::to_string(member.size * 8) + "_t";
}

key_info info_of(const pexilon::key_row &key)
{
    key_info info{key.name, {}, {}, key.about};
    const pexilon::record_member *member = pexilon::member_of(key);
    if (member == nullptr) {
        info.field = "params[].values";
        info.width = "uint32_t[" + std::to_string(std::size(param_entry{}.values)) + "]";
        return info;
    }
    const std::string prefix =
        key.target == pexilon::key_target::camera ? "camera." : "controls[].";
    info.field = prefix + member->name;
    info.width = c_type(*member);
    if (key.form == pexilon::value_form::pair) {
        info.field += ", " + prefix + member[1].name;
        info.width += " each";
    }
    return info;
}

std::vector<key_info> infos_of(std::span<const pexilon::key_row> keys)
{
    std::vector<key_info> infos;
    for (const pexilon::key_row &key : keys)
        infos.push_back(info_of(key));
    return infos;
}

const std::vector<key_info> no_keys;

} // namespace

std::string header_text(std::string_view section) { return pexilon::header_text(section); }

std::vector<std::string> known_headers()
{
    std::vector<std::string> headers;
    for (const pexilon::code_row &row : pexilon::rows_of(pexilon::section_codes))
        headers.push_back(header_text(row.name));
    return headers;
}

const std::vector<key_info> &keys_of(std::uint32_t section_code)
{
    static const std::vector<key_info> camera = infos_of(pexilon::rows_of(pexilon::camera_keys));
    static const std::vector<key_info> entries = infos_of(pexilon::rows_of(pexilon::param_keys));
    static const std::vector<key_info> control = infos_of(pexilon::rows_of(pexilon::control_keys));
    switch (pexilon::kind_of(section_code)) {
    case PEXILON_KIND_CAMERA:
        return camera;
    case PEXILON_KIND_BOARD:
    case PEXILON_KIND_REGISTER:
        return entries;
    case PEXILON_KIND_CONTROL:
        return control;
    default:
        return no_keys;
    }
}

const key_info *find_key(std::uint32_t section_code, std::string_view name)
{
    for (const key_info &key : keys_of(section_code))
        if (name == key.name)
            return &key;
    return nullptr;
}

std::uint32_t section_code(const char *section)
{
    return pexilon::lookup_code(pexilon::section_codes, section);
}

} // namespace pexilon::lsp
