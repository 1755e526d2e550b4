// Writing a record as a new file in the formatter's layout, so that reading
// the file gives back exactly that record; a record no file can express is
// refused with the reason.
#pragma once

#include "edit/record_copy.h"
#include "edit/verify.h"

namespace pexilon::edit {

// The file for `record`: its camera section (every field), its entries in
// order (a header wherever the section changes), a section for each
// control with its code block. Read again and compared field by field
// before it is handed out.
edit_outcome write_record(record_copy &record);

} // namespace pexilon::edit
