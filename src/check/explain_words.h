// What explain says a line did to the record, in the record's own words:
// "camera.bit_width = 44", "params[3] = REG 0x3000, 0x01".
#pragma once

#include <string>

#include "config/line_accounts.h"

namespace pexilon::check {

// What the record holds after the stored key line `line`; `record` is the
// record as the line left it.
std::string stored_words(const line_account &line, const parsed_config &record);

// "a blank line", "a comment", "a section header", ...
const char *kind_words(line_kind kind);

} // namespace pexilon::check
