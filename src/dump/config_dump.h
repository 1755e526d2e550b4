// Diagnostic printing of a filled parsed_config in a fixed layout.
#pragma once

#include <cstdio>

#include "pexilon/config_parser.h"

namespace pexilon {

// Camera settings, to `err` (standard error by default).
void dump_camera_settings(const parsed_config *config, std::FILE *err = stderr) noexcept;

// Every control, to `err` (standard error by default).
void dump_controls(const parsed_config *config, std::FILE *err = stderr) noexcept;

// Every board and register entry: group headers to `err`, numbers to `out`.
void dump_param_entries(const parsed_config *config, std::FILE *out = stdout,
                        std::FILE *err = stderr) noexcept;

} // namespace pexilon
