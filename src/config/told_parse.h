// A parse into a record that tells a reader sink of each line: what the
// reader took it for and where it found faults, and nothing of what the
// interpreter did with it (no line is accounted for, so the record is read
// as pexilon_parse_config reads it, at little more than its cost).
#pragma once

#include <cstddef>

#include "config/parse_config.h"
#include "reader/reader_sink.h"

namespace pexilon {

config_report parse_config_told(const char *data, std::size_t size, parsed_config *config,
                                reader_sink &sink) noexcept;

} // namespace pexilon
