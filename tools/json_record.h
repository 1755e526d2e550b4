// A loaded configuration written as a JSON object.
#pragma once

#include "json_writer.h"
#include "loaded_config.h"

namespace pexilon::tool {

// {"file", "result", "error", "camera", "entries", "controls"}, in that order,
// each entry and control written as it is reached; for a file that could not
// be read at all the last three are null. An entry is {"section", "header",
// "key", "type", "values", "line"}: the section as the reader names it
// ("board parameter||dev2") and as its header is written ("[board
// parameter][dev2]"), and the editor line that made it, from `trace`; a
// control has its fields, "code" and "line", the line of its header. With
// `hex`, the type and the values of entries are "0x..." strings as the dump
// shows them.
void write_record(json_writer &out, const loaded_config &file,
                  const pexilon::check::record_trace &trace, bool hex);

} // namespace pexilon::tool
