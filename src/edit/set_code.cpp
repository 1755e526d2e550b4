#include <string>
#include <vector>

#include "edit/set_entry.h"
#include "edit/splice.h"
#include "reader/code_block.h"
#include "reader/line_loop.h"

namespace pexilon::edit {

namespace {

const document_block *block_of(const document &doc, std::size_t control) noexcept
{
    for (const document_block &block : doc.blocks())
        if (block.control == control)
            return &block;
    return nullptr;
}

// The code's lines, each ended as the file ends its lines.
std::string code_lines(std::string_view code, std::string_view end)
{
    std::string out;
    while (!code.empty()) {
        const std::size_t stop = code.find('\n');
        std::string_view line = code.substr(0, stop);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        out.append(line).append(end);
        code = stop == std::string_view::npos ? std::string_view() : code.substr(stop + 1);
    }
    return out;
}

// Whether the new text reads a line of the code as a marker or a header.
bool taken_for_structure(const std::string &text, byte_range code)
{
    const document result(text);
    for (const document_piece &piece : result.pieces()) {
        if (piece.bytes.begin < code.begin || piece.bytes.begin >= code.end)
            continue;
        if (piece.kind == line_kind::header || piece.kind == line_kind::block_start ||
            piece.kind == line_kind::block_end || piece.kind == line_kind::block_cut)
            return true;
    }
    return false;
}

} // namespace

edit_outcome set_code(const document &doc, std::size_t index, std::string_view value)
{
    if (value.find('\0') != std::string_view::npos)
        return refused("a code text cannot hold a NUL byte: the record's text would end there");
    const std::string end(file_line_end(doc));
    const std::string lines = code_lines(value, end);
    record_copy expected(doc.record());
    std::string wanted = code_lines(value, "\n");
    expected.codes[index] = wanted;
    if (holds_already(doc, expected))
        return {true, doc.stored_text(), {}};
    splice change;
    if (const document_block *block = block_of(doc, index)) {
        const std::size_t from = doc.lines()[block->first_line].bytes.end;
        const std::size_t to = doc.lines()[block->last_line].bytes.begin;
        change = {{from, to}, lines};
        if (doc.bytes(change.replaced) == lines)
            return {true, doc.stored_text(), {}};
    } else {
        const std::string markers = std::string(line_detail::code_block_start.text) + end + lines +
                                    block_detail::code_block_end.text;
        const document_section &section = doc.sections()[doc.control_sections()[index]];
        change = line_after(doc, section.last_line, markers);
    }
    std::string text = apply_splices(doc.stored_text(), {change});
    const std::size_t code_begin = change.replaced.begin;
    if (taken_for_structure(text, {code_begin, code_begin + change.text.size()}))
        return refused("a line of the code would be read as a block marker or a section header");
    return verified(doc, std::move(text), expected);
}

} // namespace pexilon::edit
