// What every user of a filled record needs beside the parse: the room params
// is promised, releasing a record, and comparing two records. Shared by the
// library, its program, tests, fuzz targets and benchmarks; outside hosts
// write their own release loop from the header's documentation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pexilon/config_parser.h"

namespace pexilon {

// Room params has for `count` entries: 100 x (count / 100 + 1), or none for
// no entries. The library leaves that much after every parse, and assumes no
// more of an array a caller hands back.
constexpr std::size_t promised_param_room(std::size_t count) noexcept
{
    return count == 0 ? 0 : 100 * (count / 100 + 1);
}

// Frees the lists and code texts the library handed out and zeroes the
// record, ready for another parse. It frees through the library's heap calls,
// so that it also serves the build whose heap can be made to fail.
void release_record(parsed_config &config) noexcept;

// Two parts are the same when every field is, whole: the library fills text
// fields and value lists with zeros past what a line gave, so a difference
// there is a difference too. Padding is not compared; code texts are
// compared as texts, not as pointers.
bool same_camera(const camera_settings &a, const camera_settings &b) noexcept;
bool same_param(const param_entry &a, const param_entry &b) noexcept;
bool same_control(const control_entry &a, const control_entry &b) noexcept;

// Where two records first differ: `part` is null when they are the same,
// otherwise "camera", "param_count", "control_count", "params" or "controls",
// with `index` the entry for the last two.
struct record_mismatch {
    const char *part = nullptr;
    std::uint32_t index = 0;
    explicit operator bool() const noexcept { return part != nullptr; }
};
record_mismatch first_mismatch(const parsed_config &a, const parsed_config &b) noexcept;

} // namespace pexilon
