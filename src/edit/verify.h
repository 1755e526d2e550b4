// The check every edit passes before its text is handed out: the result is
// read again, and its record must be the old record with exactly the change
// made, its faults those of the old text, and no line of it read in pieces
// that was whole before.
#pragma once

#include <string>

#include "document/document.h"
#include "edit/record_copy.h"

namespace pexilon::edit {

struct edit_outcome {
    bool done = false;
    std::string text;   // done: the edited text
    std::string reason; // not done: why nothing was changed
};

// `removed_faults`: faulty lines the edit took out of the file, which the
// result then lacks.
edit_outcome verified(const document &old, std::string text, record_copy &expected,
                      std::size_t removed_faults = 0);

edit_outcome refused(std::string reason);

// Whether `expected` is the record `doc` already gives: an edit to what the
// file holds changes no byte.
bool holds_already(const document &doc, record_copy &expected);

} // namespace pexilon::edit
