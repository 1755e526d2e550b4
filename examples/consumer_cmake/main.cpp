// A C++ program built against an installed libpexilon_config_parser through
// find_package(pexilon_config_parser). The record is wrapped so that the lists
// the library hands over are released however the scope is left.
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

#include <pexilon/config_parser.h>

namespace {

struct owned_config : parsed_config {
    owned_config() : parsed_config{} {}
    ~owned_config()
    {
        for (const control_entry &c : controls_view())
            std::free(c.code);
        std::free(controls);
        std::free(params);
    }
    owned_config(const owned_config &) = delete;
    owned_config &operator=(const owned_config &) = delete;

    std::span<const param_entry> params_view() const { return {params, param_count}; }
    std::span<const control_entry> controls_view() const { return {controls, control_count}; }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CONFIG_FILE\n", argv[0]);
        return 2;
    }
    owned_config config;
    const int result = pexilon_parse_config(argv[1], &config);
    // type is not terminated when it holds all 50 characters.
    std::string_view type(config.camera.type, sizeof config.camera.type);
    type = type.substr(0, type.find('\0'));
    std::printf("result: %d\n", result);
    std::printf("camera: %.*s %ux%u\n", static_cast<int>(type.size()), type.data(),
                config.camera.width, config.camera.height);
    for (const param_entry &e : config.params_view()) {
        std::printf("entry 0x%08x:", e.type);
        for (unsigned v = 0; v < e.value_count && v < 16; ++v)
            std::printf(" %u", e.values[v]);
        std::printf("\n");
    }
    for (const control_entry &c : config.controls_view())
        std::printf("control %s: %lld..%lld step %d default %lld%s\n", c.ctrl_name,
                    static_cast<long long>(c.min_value), static_cast<long long>(c.max_value),
                    c.step, static_cast<long long>(c.def), c.code ? " with code" : "");
    return result == 0 ? 0 : 1;
}
