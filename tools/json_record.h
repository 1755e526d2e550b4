// A loaded configuration written as a JSON object.
#pragma once

#include "json_writer.h"
#include "loaded_config.h"

namespace pexilon_tool {

// {"file", "result", "error", "camera", "entries", "controls"}, in that order,
// each entry and control written as it is reached; for a file that could not
// be read at all the last three are null. With `hex`, the type and
// the values of entries are "0x..." strings as the dump shows them.
void write_record(json_writer &out, const loaded_config &file, bool hex);

} // namespace pexilon_tool
