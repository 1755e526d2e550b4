// Diagnostics from the check library, copied out of its callback.
#include "check_source.h"

#include <new>

#include "pexilon/config_check.h"

namespace pexilon_lsp {

namespace {

struct collector {
    std::vector<found_diagnostic> found;
    bool out_of_memory = false;
};

text_place place_of(std::size_t line, std::size_t column, std::size_t end_column)
{
    return {line, column, end_column};
}

void copy_into(found_diagnostic &out, const pexilon_check_diagnostic &in)
{
    switch (in.severity) {
    case PEXILON_CHECK_WARNING:
        out.level = severity::warning;
        break;
    case PEXILON_CHECK_NOTE:
        out.level = severity::note;
        break;
    default:
        out.level = severity::error;
        break;
    }
    out.name = in.name != nullptr ? in.name : "";
    out.message = in.message != nullptr ? in.message : "";
    out.hint = in.hint != nullptr ? in.hint : "";
    out.place = place_of(in.line, in.column, in.end_column);
    for (std::size_t i = 0; i < in.note_count; ++i) {
        const pexilon_check_note &note = in.notes[i];
        out.notes.push_back({place_of(note.line, note.column, note.end_column),
                             note.message != nullptr ? note.message : ""});
    }
}

// Called by the checker, which must not be unwound: running out of memory
// stops the check and is raised again once it has returned.
int receive(void *user, const pexilon_check_diagnostic *diagnostic) noexcept
{
    auto &into = *static_cast<collector *>(user);
    try {
        found_diagnostic copy;
        copy_into(copy, *diagnostic);
        into.found.push_back(std::move(copy));
        return 0;
    } catch (const std::bad_alloc &) {
        into.out_of_memory = true;
        return 1;
    }
}

} // namespace

std::vector<found_diagnostic> check_document(std::string_view text)
{
    collector into;
    pexilon_check_text(text.data(), text.size(), receive, &into, nullptr);
    if (into.out_of_memory)
        throw std::bad_alloc();
    return std::move(into.found);
}

} // namespace pexilon_lsp
