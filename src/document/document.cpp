#include "document/document.h"

#include <algorithm>

#include "document/document_builder.h"
#include "document/line_parts.h"
#include "support/record_ops.h"

namespace pexilon {

void record_release::operator()(parsed_config *record) const noexcept
{
    release_record(*record);
    delete record;
}

document::document(std::string text, document_detail detail)
    : document(std::move(text), detail,
               [](std::string_view all, const line_map &, account_listener &builder,
                  parsed_config &record) {
                   return parse_config_accounted(all.data(), all.size(), &record, builder);
               })
{
}

document::document(std::string text, document_detail detail, const document_parse &parse)
    : text_(std::move(text)), record_(new parsed_config{})
{
    const line_map map(text_);
    document_builder builder(*this, map, detail);
    report_ = parse(text_, map, builder, *record_);
    builder.finish();
}

std::string document::print() const
{
    // From the parts, not the stored text: what an edit will change is a
    // part, and this is what writes it out.
    std::string out;
    out.reserve(text_.size());
    std::vector<line_part> parts;
    for (const document_line &line : lines_) {
        parts.clear();
        append_line_parts(text_, line, pieces_, numbers_, parts);
        for (const line_part &part : parts)
            out += bytes(part.bytes);
    }
    return out;
}

std::vector<line_part> document::parts_of(std::size_t line) const
{
    std::vector<line_part> parts;
    if (line < lines_.size())
        append_line_parts(text_, lines_[line], pieces_, numbers_, parts);
    return parts;
}

std::string_view document::bytes(byte_range range) const noexcept
{
    const std::size_t begin = std::min(range.begin, text_.size());
    return std::string_view(text_).substr(begin, std::min(range.end, text_.size()) - begin);
}

const document_section *document::section_at(std::size_t line) const noexcept
{
    const auto after =
        std::upper_bound(sections_.begin(), sections_.end(), line,
                         [](std::size_t l, const document_section &s) { return l < s.first_line; });
    return after == sections_.begin() ? nullptr : &*(after - 1);
}

const document_piece *document::first_piece(std::size_t line) const noexcept
{
    return line < lines_.size() ? &pieces_[lines_[line].first_piece] : nullptr;
}

} // namespace pexilon
