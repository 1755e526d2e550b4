// Where an editor shows what a rule found on a reader line: the editor
// line, the byte columns and the character columns of a diagnostic, its
// notes and its fixes, from the line map of the text they were found in.
#pragma once

#include "check/diagnostic.h"
#include "reader/line_map.h"

namespace pexilon { class character_columns; }

namespace pexilon::check {

// A fix's place: the bytes it replaces, none to insert.
void place_edited(const line_map &map, place &where);

// Places the diagnostic, its notes and its fixes, and its source line.
// `columns` goes on along the diagnostics' lines, in order.
void place_for_editors(const line_map &map, character_columns &columns, diagnostic &d);

} // namespace pexilon::check
