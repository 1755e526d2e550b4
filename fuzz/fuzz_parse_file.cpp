// Reads the input as a configuration file through the exported function,
// twice into one record and once into no record, and checks what comes back.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *path = fuzz::scratch_file(data, size);
    const long lines = fuzz::line_count(data, size);

    parsed_config config{};
    const int first = pexilon_parse_config(path, &config);
    FUZZ_CHECK(first >= 0 && first <= lines + 1);
    if (size == 0)
        FUZZ_CHECK(first == 0);
    fuzz::check_record(config);

    // Keep a copy of what one read produced: a second read of the same file
    // appends the same entries again and rewrites the same camera values.
    const camera_settings camera = config.camera;
    const std::uint32_t params = config.param_count;
    const std::uint32_t controls = config.control_count;

    const int second = pexilon_parse_config(path, &config);
    FUZZ_CHECK(second == first);
    fuzz::check_record(config);
    FUZZ_CHECK(pexilon::same_camera(config.camera, camera));
    FUZZ_CHECK(config.param_count == 2 * params);
    FUZZ_CHECK(config.control_count == 2 * controls);
    for (std::uint32_t i = 0; i < params; ++i)
        FUZZ_CHECK(pexilon::same_param(config.params[i], config.params[params + i]));
    for (std::uint32_t i = 0; i < controls; ++i)
        FUZZ_CHECK(pexilon::same_control(config.controls[i], config.controls[controls + i]));
    pexilon::release_record(config);

    // Without a record every handler call is refused, which can only add
    // faulty lines: the first one comes no later than with a record. A code
    // block cut off at the end wins in both reads alike.
    const int bare = pexilon_parse_config(path, nullptr);
    FUZZ_CHECK(bare >= 0 && bare <= lines + 1);
    if (first != 0)
        FUZZ_CHECK(bare != 0 && bare <= first);
    return 0;
}
