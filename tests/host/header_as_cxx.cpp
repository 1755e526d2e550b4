// The public header as a C++ host sees it: included twice (the guard must
// hold), declarations with C linkage that link against the shared object, and
// the camera fields named on the record as well as in config.camera.
#include <pexilon/config_parser.h>

#include <type_traits>

static_assert(std::is_standard_layout_v<parsed_config> && std::is_trivial_v<parsed_config>);
static_assert(noexcept(pexilon_parse_config(nullptr, nullptr)));

// The camera fields named on the record have the types of camera_settings.
#define SAME_TYPE(f) \
    static_assert(std::is_same_v<decltype(parsed_config::f), decltype(camera_settings::f)>, #f)
SAME_TYPE(cfg_mode);
SAME_TYPE(type);
SAME_TYPE(width);
SAME_TYPE(height);
SAME_TYPE(bit_width);
SAME_TYPE(format);
SAME_TYPE(i2c_mode);
SAME_TYPE(i2c_addr);
SAME_TYPE(trans_lvl);
#undef SAME_TYPE

// Written through one spelling, read through the other.
static bool spellings_alias()
{
    parsed_config config{};
    config.camera.width = 1920;
    config.camera.trans_lvl = 7;
    config.type[0] = 'x';
    config.i2c_addr = 0x36;
    return config.width == 1920 && config.trans_lvl == 7 && config.camera.type[0] == 'x' &&
           config.camera.i2c_addr == 0x36;
}

int main()
{
    parsed_config config{};
    // A path that cannot be opened leaves the record untouched.
    const int result = pexilon_parse_config("/nonexistent/pexilon/host.conf", &config);
    return result == PARSE_OPEN_FAILED && config.params == nullptr && config.param_count == 0 &&
                   spellings_alias()
               ? 0
               : 1;
}
