// A document read by the library's own reader and interpreter, so that the
// outline and the completions agree with what the library does with the file.
#include "document_model.h"

#include <algorithm>

#include "check/record_trace.h"
#include "support/record_ops.h"

namespace pexilon_lsp {

namespace {

struct model_builder {
    std::string_view text;
    document_model model;
    std::size_t controls = 0;

    // `line` is 0-based.
    void on_header(const pexilon::line_account &account, std::size_t line)
    {
        // A header in the second piece of a long line ends the section
        // opened in its first piece on that same line.
        if (!model.sections.empty()) {
            section_span &previous = model.sections.back();
            previous.last_line = line > previous.first_line ? line - 1 : previous.first_line;
        }
        section_span span;
        span.first_line = line;
        span.last_line = line;
        span.section = account.section;
        span.code = account.section_code;
        if (span.code == pexilon::section_control)
            span.control_index = controls++;
        model.sections.push_back(std::move(span));
    }

    void on_key(const pexilon::line_account &account, std::size_t line, std::string_view piece)
    {
        key_line key;
        key.line = line;
        key.in_section = !model.sections.empty();
        key.section = key.in_section ? model.sections.size() - 1 : 0;
        key.name = account.kind == pexilon::line_kind::continuation
                       ? std::string(account.continues)
                       : std::string(piece.substr(account.name.begin,
                                                  account.name.end - account.name.begin));
        if (account.fate == pexilon::line_fate::stored &&
            account.key.key->target == pexilon::key_target::control &&
            account.key.key->code == pexilon::key_ctrl_name)
            model.sections.back().ctrl_name =
                piece.substr(account.value.begin, account.value.end - account.value.begin);
        model.keys.push_back(std::move(key));
    }
};

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
    model_builder builder{text, {}, 0};
    parsed_config record{};
    try {
        pexilon::check::read_accounts(
            text, &record,
            [&](const pexilon::line_account &account, const pexilon::check::account_place &at) {
                if (account.kind == pexilon::line_kind::header)
                    builder.on_header(account, at.editor_line - 1);
                else if (account.kind == pexilon::line_kind::name_value ||
                         account.kind == pexilon::line_kind::continuation)
                    builder.on_key(account, at.editor_line - 1, at.piece);
            });
    } catch (...) {
        pexilon::release_record(record);
        throw;
    }
    pexilon::release_record(record);
    builder.model.line_count =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (!builder.model.sections.empty())
        builder.model.sections.back().last_line = builder.model.line_count - 1;
    return std::move(builder.model);
}

} // namespace pexilon_lsp
