#include "document/line_parts.h"

#include "reader/byte_order_mark.h"
#include "reader/text_helpers.h"

namespace pexilon {

namespace {

// Lays spans down in order, filling what lies between them with gaps.
class part_layer {
public:
    part_layer(std::vector<line_part> &out, std::size_t begin) : out_(out), at_(begin) {}

    std::size_t at() const noexcept { return at_; }

    void add(part_role role, byte_range bytes)
    {
        if (bytes.begin < at_ || bytes.end <= bytes.begin)
            return; // empty, or over a span already laid
        if (bytes.begin > at_)
            out_.push_back({part_role::gap, {at_, bytes.begin}});
        out_.push_back({role, bytes});
        at_ = bytes.end;
    }

private:
    std::vector<line_part> &out_;
    std::size_t at_;
};

bool opens_comment(std::string_view text, std::size_t at) noexcept
{
    return at < text.size() &&
           (text[at] == ';' || (text[at] == '/' && at + 1 < text.size() && text[at + 1] == '/'));
}

// The last byte of `range` that is not white space, plus one.
std::size_t content_end(std::string_view text, byte_range range) noexcept
{
    std::size_t end = range.end;
    while (end > range.begin && is_white(text[end - 1]))
        --end;
    return end;
}

// A comment from `from` (past white space) to the end of the content.
void add_comment(part_layer &layer, std::string_view text, std::size_t from, byte_range piece)
{
    while (from < piece.end && text[from] != '\n' && is_white(text[from]))
        ++from;
    if (opens_comment(text, from) || (from < piece.end && text[from] == '#'))
        layer.add(part_role::comment, {from, content_end(text, {from, piece.end})});
}

void add_value(part_layer &layer, const document_piece &piece,
               const std::vector<document_number> &numbers)
{
    if (piece.number_count == 0) {
        layer.add(part_role::value, piece.value);
        return;
    }
    for (std::size_t n = 0; n < piece.number_count; ++n)
        layer.add(part_role::item, numbers[piece.first_number + n].written);
}

void add_piece_parts(part_layer &layer, std::string_view text, const document_piece &piece,
                     const std::vector<document_number> &numbers)
{
    switch (piece.kind) {
    case line_kind::comment:
        add_comment(layer, text, piece.bytes.begin, piece.bytes);
        break;
    case line_kind::header: {
        layer.add(part_role::name, piece.name);
        std::size_t from = piece.rest.begin;
        while (from < piece.rest.end && is_white(text[from]))
            ++from;
        const bool comment =
            opens_comment(text, from) || (from < piece.rest.end && text[from] == '#');
        layer.add(comment ? part_role::comment : part_role::rest,
                  {from, content_end(text, piece.rest)});
        break;
    }
    case line_kind::name_value: {
        layer.add(part_role::name, piece.name);
        std::size_t s = piece.name.end;
        while (s < piece.value.begin && text[s] != '=' && text[s] != ':')
            ++s;
        if (s < piece.bytes.end && (text[s] == '=' || text[s] == ':'))
            layer.add(part_role::separator, {s, s + 1});
        add_value(layer, piece, numbers);
        add_comment(layer, text, std::max(layer.at(), piece.value.end), piece.bytes);
        break;
    }
    case line_kind::continuation:
        add_value(layer, piece, numbers);
        break;
    default:
        break;
    }
}

} // namespace

void append_line_parts(std::string_view text, const document_line &line,
                       const std::vector<document_piece> &pieces,
                       const std::vector<document_number> &numbers, std::vector<line_part> &out)
{
    part_layer layer(out, line.bytes.begin);
    if (line.bytes.begin == 0 && text.substr(0, byte_order_mark.size()) == byte_order_mark)
        layer.add(part_role::bom, {0, byte_order_mark.size()});
    for (std::size_t p = 0; p < line.piece_count; ++p)
        if (pieces[line.first_piece + p].accounted)
            add_piece_parts(layer, text, pieces[line.first_piece + p], numbers);
    // The line end, and the white space before it past every span laid.
    std::size_t end = line.bytes.end;
    if (end > line.bytes.begin && text[end - 1] == '\n') {
        --end;
        if (end > layer.at() && text[end - 1] == '\r')
            --end;
    }
    std::size_t blank = end;
    while (blank > layer.at() && is_white(text[blank - 1]))
        --blank;
    layer.add(part_role::trailing, {blank, end});
    layer.add(part_role::line_end, {end, line.bytes.end});
    if (layer.at() < line.bytes.end)
        out.push_back({part_role::gap, {layer.at(), line.bytes.end}});
}

} // namespace pexilon
