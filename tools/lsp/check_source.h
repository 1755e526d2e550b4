// The checker's diagnostics of a document held in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon::lsp {

enum class severity { error, warning, note };

// A place in the text: 1-based editor line (0 for the text as a whole),
// 1-based byte columns with the end exclusive (column 0 for the whole line).
struct text_place {
    std::size_t line = 0;
    std::size_t column = 0;
    std::size_t end_column = 0;
};

struct found_note {
    text_place place;
    std::string message;
};

// A certain repair: the bytes of `place` become `replacement`.
struct found_fix {
    text_place place;
    std::string replacement;
    std::string change; // what it does to the record
};

struct found_diagnostic {
    severity level = severity::error;
    std::string name;
    std::string message;
    std::string hint; // empty when there is none
    text_place place;
    std::vector<found_note> notes;
    std::vector<found_fix> fixes; // made together
};

// The diagnostics of a document: the first ones in line order, and what is
// known of the rest, which are counted, not kept.
struct checked_document {
    std::vector<found_diagnostic> found;
    std::size_t omitted = 0;
    severity worst_omitted = severity::note; // the gravest level among them
    text_place first_omitted;
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
