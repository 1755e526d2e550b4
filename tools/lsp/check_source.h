// The checker's diagnostics of a document held in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "check/diagnostic.h"

namespace pexilon::lsp {

// The checker's own diagnostics (check/diagnostic.h). The server reads their
// places as editors count them: 1-based editor lines and byte columns, line
// 0 for the text as a whole, column 0 for the whole line.
using pexilon::check::diagnostic;
using pexilon::check::fix_it;
using pexilon::check::note;
using pexilon::check::place;

// The diagnostics of a document: the first ones in line order, and what is
// known of the rest, which are counted, not kept.
struct checked_document {
    std::vector<diagnostic> found; // their views (source) cleared
    std::size_t omitted = 0;
    pexilon_check_severity worst_omitted = PEXILON_CHECK_NOTE; // the gravest among them
    place first_omitted;
};

// The first `limit` diagnostics of `text`, each message, hint and note cut to
// `message_bytes` (at a character's start, "..." added). Throws
// std::bad_alloc only.
checked_document check_document(std::string_view text, std::size_t limit,
                                std::size_t message_bytes);

// `text` with every fix-it made, as `pexilon-config check --fix` makes them;
// `made` counts them, `later` those of them that only the others brought
// (check --fix's later rounds). Throws std::bad_alloc only.
std::string fixed_document(std::string_view text, std::size_t &made, std::size_t &later);

} // namespace pexilon::lsp
