// Comparing two records: the same fields of the vocabulary, whole.
#pragma once

#include <cstdint>

#include "pexilon/config_parser.h"

namespace pexilon {

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
