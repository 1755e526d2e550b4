// A loaded configuration as a JSON object.
#pragma once

#include <nlohmann/json.hpp>

#include "loaded_config.h"

namespace pexilon_tool {

// {"file", "result", "error", "camera", "entries", "controls"}, in that order.
// Text fields hold the record's bytes as they are; they need not be UTF-8, so
// the caller must serialise with error_handler_t::replace.
nlohmann::ordered_json to_json(const loaded_config &file);

} // namespace pexilon_tool
