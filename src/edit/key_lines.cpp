#include "edit/key_lines.h"

#include "config/code_tables.h"
#include "config/section_names.h"

namespace pexilon::edit {

const document_piece *setting_piece(const document &doc, const key_row &key,
                                    std::size_t control) noexcept
{
    const std::vector<document_piece> &pieces = doc.pieces();
    for (std::size_t i = pieces.size(); i-- > 0;) {
        const document_piece &piece = pieces[i];
        if (piece.fate == line_fate::stored && piece.key == &key && piece.changed &&
            (key.target != key_target::control || piece.index == control))
            return &piece;
    }
    return nullptr;
}

std::size_t last_content_line(const document &doc, std::size_t section) noexcept
{
    const document_section &at = doc.sections()[section];
    for (std::size_t line = at.last_line; line > at.first_line; --line) {
        const line_kind kind = doc.first_piece(line)->kind;
        if (kind != line_kind::blank && kind != line_kind::comment)
            return line;
    }
    return at.first_line;
}

splice line_in_section(const document &doc, std::uint32_t code, const std::string &new_line)
{
    const std::vector<document_section> &sections = doc.sections();
    for (std::size_t i = sections.size(); i-- > 0;)
        if (sections[i].code == code)
            return line_after(doc, last_content_line(doc, i), new_line);
    const char *name = lookup_name(section_codes, code);
    const std::string end(file_line_end(doc));
    const std::string header = header_text(name != nullptr ? name : "");
    if (doc.stored_text().empty())
        return {{0, 0}, header + end + new_line + end};
    return line_after(doc, doc.lines().size() - 1, end + header + end + new_line);
}

} // namespace pexilon::edit
