// The section headers and keys of the dialect, with the fields they fill.
#include "vocabulary.h"

#include "config/code_tables.h"

namespace pexilon_lsp {

namespace {

// The camera keys are matched by name in config/camera_settings.cpp.
const std::vector<key_info> camera_keys = {
    {"CFG_MODE", "camera.cfg_mode", "uint32_t", "a number, decimal or 0x hexadecimal"},
    {"TYPE", "camera.type", "char[50]",
     "the text, at most 50 bytes; 50 bytes leave it without a terminator"},
    {"SIZE", "camera.width, camera.height", "uint32_t each",
     "two numbers: width, height; any other count changes nothing"},
    {"BIT_WIDTH", "camera.bit_width", "uint8_t", "a number; its low 8 bits are kept"},
    {"FORMAT", "camera.format", "uint16_t",
     "one or two numbers: the first is the high byte, the second the low byte"},
    {"I2C_MODE", "camera.i2c_mode", "uint8_t", "a number; its low 8 bits are kept"},
    {"I2C_ADDR", "camera.i2c_addr", "uint16_t", "a number; its low 16 bits are kept"},
    {"TRANS_LVL", "camera.trans_lvl", "uint32_t", "a number"},
};

const std::vector<key_info> param_keys = {
    {"REG", "params[].values", "uint32_t[16]",
     "up to 16 numbers separated by commas; one entry per line"},
    {"DELAY", "params[].values", "uint32_t[16]",
     "up to 16 numbers separated by commas; one entry per line"},
    {"VRCMD", "params[].values", "uint32_t[16]",
     "up to 16 numbers separated by commas; one entry per line"},
};

const std::vector<key_info> control_keys = {
    {"MIN_VALUE", "controls[].min_value", "int64_t", "a signed number"},
    {"MAX_VALUE", "controls[].max_value", "int64_t", "a signed number"},
    {"STEP", "controls[].step", "int32_t", "a number; its low 32 bits are kept"},
    {"DEF", "controls[].def", "int64_t", "a signed number"},
    {"CTRL_NAME", "controls[].ctrl_name", "char[128]",
     "the text, at most 127 bytes; names the control"},
    {"FUNC_NAME", "controls[].func_name", "char[128]", "the text, at most 127 bytes"},
};

const std::vector<key_info> no_keys;

} // namespace

std::string header_text(std::string_view section)
{
    std::string header = "[";
    for (std::size_t at = 0;;) {
        const std::size_t bar = section.find("||", at);
        header.append(section.substr(at, bar - at));
        header.push_back(']');
        if (bar == std::string_view::npos)
            break;
        header.push_back('[');
        at = bar + 2;
    }
    return header;
}

std::vector<std::string> known_headers()
{
    std::vector<std::string> headers;
    for (const pexilon::code_row *row = pexilon::section_codes; row->name != nullptr; ++row)
        headers.push_back(header_text(row->name));
    return headers;
}

const std::vector<key_info> &keys_of(std::uint32_t section_code)
{
    switch (section_code >> 24) {
    case 0x01:
        return camera_keys;
    case 0x02:
    case 0x03:
        return param_keys;
    case 0x04:
        return control_keys;
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

} // namespace pexilon_lsp
