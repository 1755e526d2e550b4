// Setting one value of a file: the bytes of that value change and no other,
// and the result reads back as the old record with that one change.
#pragma once

#include <string_view>

#include "document/document.h"
#include "edit/verify.h"

namespace pexilon::edit {

// Sets the field `path` names ("camera.width", "controls[Exposure].max_value",
// "entries[3].values") to `value`, as a command line writes it. Refused with
// the reason when the path names nothing, the field cannot hold the value,
// or the result would read back otherwise.
edit_outcome set_value(const document &doc, std::string_view path, std::string_view value);

} // namespace pexilon::edit
