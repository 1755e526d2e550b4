// Parses the input and prints the record with the three dump routines.
#include "config/parse_config.h"
#include "dump/config_dump.h"
#include "fuzz_support.h"

namespace {

std::FILE *null_stream()
{
    static std::FILE *const sink = std::fopen("/dev/null", "w");
    FUZZ_CHECK(sink != nullptr);
    return sink;
}

std::size_t count_newlines(const char *text, std::size_t size)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < size; ++i)
        n += text[i] == '\n';
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    parsed_config config{};
    pexilon::parse_config_bytes(reinterpret_cast<const char *>(data), size, &config);
    fuzz::check_record(config);

    pexilon::dump_camera_settings(&config, null_stream());
    pexilon::dump_controls(&config, null_stream());

    // The entries print one line each to `out`, and a group header to `err`
    // whenever the section and variant change from the entry before.
    char *out_text = nullptr;
    char *err_text = nullptr;
    std::size_t out_size = 0;
    std::size_t err_size = 0;
    std::FILE *out = open_memstream(&out_text, &out_size);
    std::FILE *err = open_memstream(&err_text, &err_size);
    FUZZ_CHECK(out != nullptr && err != nullptr);
    pexilon::dump_param_entries(&config, out, err);
    std::fclose(out);
    std::fclose(err);

    std::size_t groups = 0;
    std::uint32_t group = 0;
    for (std::uint32_t i = 0; i < config.param_count; ++i) {
        const std::uint32_t g = pexilon::group_of(config.params[i].type);
        if (g != group) {
            ++groups;
            group = g;
        }
    }
    FUZZ_CHECK(count_newlines(out_text, out_size) == config.param_count);
    FUZZ_CHECK(count_newlines(err_text, err_size) == groups);
    std::free(out_text);
    std::free(err_text);

    pexilon::release_record(config);
    return 0;
}
