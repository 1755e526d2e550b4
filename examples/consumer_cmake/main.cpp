// A C++ program built against an installed libpexilon_config_parser, through
// find_package(pexilon_config_parser) or pkg-config. pexilon::config owns the
// lists the library hands over and releases them however the scope is left;
// the views bound every text by its field.
#include <cstdio>
#include <new>

#include <pexilon/config.hpp>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CONFIG_FILE\n", argv[0]);
        return 2;
    }
    const auto [config, status] = pexilon::load(argv[1], std::nothrow);
    // The C function's result: 0, -1 for a file it cannot read, or the line.
    const long result = status.open_failed() ? -1L : static_cast<long>(status.fault().reader_line);
    std::printf("result: %ld\n", result);
    const pexilon::camera_view camera = config.camera();
    std::printf("camera: %.*s %ux%u\n", static_cast<int>(camera.type().size()),
                camera.type().data(), camera.width(), camera.height());
    for (const pexilon::entry e : config.entries()) {
        std::printf("entry 0x%08x:", e.type());
        for (const std::uint32_t v : e.values())
            std::printf(" %u", v);
        std::printf("\n");
    }
    for (const pexilon::control c : config.controls())
        std::printf("control %.*s: %lld..%lld step %d default %lld%s\n",
                    static_cast<int>(c.name().size()), c.name().data(),
                    static_cast<long long>(c.min()), static_cast<long long>(c.max()), c.step(),
                    static_cast<long long>(c.def()), c.has_code() ? " with code" : "");
    return status.ok() ? 0 : 1;
}
