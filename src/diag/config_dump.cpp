// Diagnostic printing of a filled parsed_config.
//
// The layout is fixed and read by people and by scripts alike, so every line
// below is written with one format and one field. 32-bit fields go through
// int32_t so that a value with the top bit set prints negative; 64-bit fields
// use PRId64, which is "ld" on Linux x86-64.
#include "diag/config_dump.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <iterator>

#include "config/code_tables.h"

namespace pexilon {

namespace {

// The field as a signed 32-bit number (two's complement reinterpretation).
int signed32(std::uint32_t value) noexcept
{
    return static_cast<int>(static_cast<std::int32_t>(value));
}

} // namespace

void dump_camera_settings(const parsed_config *config, std::FILE *err) noexcept
{
    if (config == nullptr)
        return;
    const camera_settings &camera = config->camera;
    std::fprintf(err, "CFG_MODE : %d\n", signed32(camera.cfg_mode));
    // type holds no terminator when it is full.
    std::fprintf(err, "TYPE     : %.*s\n", static_cast<int>(sizeof camera.type), camera.type);
    std::fprintf(err, "WIDTH    : %d\n", signed32(camera.width));
    std::fprintf(err, "HEIGHT   : %d\n", signed32(camera.height));
    std::fprintf(err, "BIT_WIDTH: %d\n", static_cast<int>(camera.bit_width));
    std::fprintf(err, "FORMAT   : 0x%02X\n", static_cast<unsigned>(camera.format));
    std::fprintf(err, "I2C_MODE : %d\n", static_cast<int>(camera.i2c_mode));
    std::fprintf(err, "I2C_ADDR : %d\n", static_cast<int>(camera.i2c_addr));
    std::fprintf(err, "TRANS_LVL: %d\n", signed32(camera.trans_lvl));
}

void dump_controls(const parsed_config *config, std::FILE *err) noexcept
{
    if (config == nullptr || config->controls == nullptr)
        return;
    for (std::uint32_t i = 0; i < config->control_count; ++i) {
        const control_entry &control = config->controls[i];
        std::fprintf(err, "MIN_VALUE  = %" PRId64 "\n", control.min_value);
        std::fprintf(err, "MAX_VALUE  = %" PRId64 "\n", control.max_value);
        std::fprintf(err, "STEP       = %d\n", static_cast<int>(control.step));
        std::fprintf(err, "DEF        = %" PRId64 "\n", control.def);
        std::fprintf(err, "CTRL_NAME\t= %s\n", control.ctrl_name);
        std::fprintf(err, "FUNC_NAME\t= %s\n", control.func_name);
        // A control without a code block shows "(null)", as glibc's printf
        // does for a null %s argument; passing the null itself is undefined.
        std::fprintf(err, "%s\n", control.code != nullptr ? control.code : "(null)");
    }
}

void dump_param_entries(const parsed_config *config, std::FILE *out, std::FILE *err) noexcept
{
    if (config == nullptr || config->params == nullptr)
        return;
    std::uint32_t group = 0;
    for (std::uint32_t i = 0; i < config->param_count; ++i) {
        const param_entry &entry = config->params[i];
        const std::uint32_t g = group_of(entry.type);
        if (g != group) {
            // The numbers before the header must reach a shared terminal or
            // file first, or the header would appear among them.
            std::fflush(out);
            std::fprintf(err, "[0x%04X]\n", static_cast<unsigned>(g));
            group = g;
        }
        const std::size_t count = std::min<std::size_t>(entry.value_count, std::size(entry.values));
        for (std::size_t v = 0; v < count; ++v)
            std::fprintf(out, "0x%04X ", static_cast<unsigned>(entry.values[v]));
        std::fputc('\n', out);
    }
}

} // namespace pexilon
