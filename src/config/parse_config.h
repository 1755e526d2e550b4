// Parsing into a parsed_config with the full report, for the library's own
// tools; the exported pexilon_parse_config returns only the line.
#pragma once

#include <cstdio>

#include "config/interpreter.h"
#include "reader/parse_outcome.h"

namespace pexilon {

struct config_report {
    parse_outcome outcome;                      // the reported line and the reader's fault
    reject_reason reason = reject_reason::none; // why, when kind is rejected
};

config_report parse_config_path(const char *path, parsed_config *config) noexcept;
config_report parse_config_stream(std::FILE *stream, parsed_config *config) noexcept;
config_report parse_config_bytes(const char *data, std::size_t size,
                                 parsed_config *config) noexcept;

// A short plain-words description of the report's fault ("" for none).
const char *describe_fault(const config_report &report) noexcept;

} // namespace pexilon
