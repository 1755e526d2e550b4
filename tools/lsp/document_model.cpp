// A document read by the library's own reader, so that the outline and the
// completions agree with what the library does with the file.
#include "document_model.h"

#include <algorithm>
#include <new>

#include "reader/text_source.h"
#include "vocabulary.h"

namespace pexilon_lsp {

namespace {

// The reader counts pieces of 199 bytes as lines; this cursor also knows the
// editor line of the piece it handed out last.
struct counting_cursor {
    pexilon::text_cursor bytes;
    std::size_t next_line = 0;    // editor line of the next piece
    std::size_t current_line = 0; // editor line of the piece last handed out
};

char *read_counted(char *buffer, int size, void *stream) noexcept
{
    auto &cursor = *static_cast<counting_cursor *>(stream);
    const std::size_t before = cursor.bytes.bytes_left;
    char *line = pexilon::read_text_line(buffer, size, &cursor.bytes);
    if (line == nullptr)
        return nullptr;
    const std::size_t length = before - cursor.bytes.bytes_left;
    cursor.current_line = cursor.next_line;
    if (line[length - 1] == '\n')
        ++cursor.next_line;
    return line;
}

struct model_builder {
    counting_cursor cursor;
    document_model model;
    std::size_t controls = 0;
    bool out_of_memory = false;

    void on_header(const char *section)
    {
        // A header in the second piece of a long line ends the section
        // opened in its first piece on that same line.
        if (!model.sections.empty()) {
            section_span &previous = model.sections.back();
            previous.last_line = cursor.current_line > previous.first_line ? cursor.current_line - 1
                                                                           : previous.first_line;
        }
        section_span span;
        span.first_line = cursor.current_line;
        span.last_line = cursor.current_line;
        span.section = section;
        span.code = section_code(section);
        if (span.code == 0x04000000u)
            span.control_index = controls++;
        model.sections.push_back(std::move(span));
    }

    void on_key(const char *name, const char *value)
    {
        key_line key;
        key.line = cursor.current_line;
        key.in_section = !model.sections.empty();
        key.section = key.in_section ? model.sections.size() - 1 : 0;
        key.name = name;
        if (key.in_section && model.sections.back().code == 0x04000000u && key.name == "CTRL_NAME")
            model.sections.back().ctrl_name = value;
        model.keys.push_back(std::move(key));
    }
};

// Runs inside the reader, which must not be unwound: a failed allocation is
// noted and the rest of the document is skipped.
int collect(void *user, const char *section, const char *name, const char *value) noexcept
{
    auto &builder = *static_cast<model_builder *>(user);
    if (builder.out_of_memory)
        return 1;
    try {
        const pexilon::handler_event event = pexilon::event_of(name, value);
        if (event == pexilon::handler_event::section_header)
            builder.on_header(section);
        else if (event == pexilon::handler_event::name_value)
            builder.on_key(name, value);
    } catch (const std::bad_alloc &) {
        builder.out_of_memory = true;
    }
    return 1;
}

} // namespace

const section_span *document_model::section_at(std::size_t line) const noexcept
{
    auto after =
        std::upper_bound(sections.begin(), sections.end(), line,
                         [](std::size_t l, const section_span &s) { return l < s.first_line; });
    return after == sections.begin() ? nullptr : &*(after - 1);
}

const key_line *document_model::key_at(std::size_t line) const noexcept
{
    auto at = std::lower_bound(keys.begin(), keys.end(), line,
                               [](const key_line &k, std::size_t l) { return k.line < l; });
    return at != keys.end() && at->line == line ? &*at : nullptr;
}

document_model read_document(std::string_view text)
{
    model_builder builder;
    builder.cursor.bytes = {text.data(), text.size()};
    pexilon::parse_lines_detailed(read_counted, &builder.cursor, collect, &builder);
    if (builder.out_of_memory)
        throw std::bad_alloc();
    builder.model.line_count = builder.cursor.next_line + 1;
    if (!builder.model.sections.empty())
        builder.model.sections.back().last_line = builder.model.line_count - 1;
    return std::move(builder.model);
}

} // namespace pexilon_lsp
