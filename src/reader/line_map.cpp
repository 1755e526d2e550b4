#include "reader/line_map.h"

#include <algorithm>

#include "reader/line_parser.h"

namespace pexilon {

namespace {

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

} // namespace

line_map::line_map(std::string_view text) : text_(text)
{
    if (text.substr(0, byte_order_mark.size()) == byte_order_mark)
        bom_ = byte_order_mark.size();
    std::size_t position = 0;
    std::size_t column = 0;
    std::size_t index = 1;
    while (position < text.size()) {
        if (column == 0) {
            line_starts_.push_back(position);
            line_first_piece_.push_back(pieces_.size());
            index = 1;
        }
        const std::size_t limit = std::min(piece_limit, text.size() - position);
        const std::size_t newline = text.substr(position, limit).find('\n');
        const std::size_t length = newline == std::string_view::npos ? limit : newline + 1;
        pieces_.push_back({position, line_starts_.size(), column, index});
        position += length;
        if (newline != std::string_view::npos) {
            column = 0;
        } else {
            column += length;
            ++index;
        }
    }
}

std::size_t line_map::editor_line(std::size_t reader_line) const
{
    if (reader_line >= 1 && reader_line <= pieces_.size())
        return pieces_[reader_line - 1].editor_line;
    // Past the end: the line after the last complete one.
    if (text_.empty())
        return 1;
    return text_.back() == '\n' ? line_starts_.size() + 1 : line_starts_.size();
}

std::size_t line_map::column(std::size_t reader_line, std::size_t offset) const
{
    if (reader_line < 1 || reader_line > pieces_.size())
        return 0;
    const piece &p = pieces_[reader_line - 1];
    std::size_t column = p.column + offset;
    if (p.editor_line == 1)
        column -= std::min(column, bom_);
    return column + 1;
}

std::string_view line_map::line_text(std::size_t editor_line) const
{
    if (editor_line < 1 || editor_line > line_starts_.size())
        return {};
    std::size_t begin = line_starts_[editor_line - 1];
    const std::size_t end =
        editor_line < line_starts_.size() ? line_starts_[editor_line] : text_.size();
    if (editor_line == 1)
        begin += bom_;
    std::string_view line = text_.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::string_view line_map::piece_text(std::size_t reader_line) const
{
    if (reader_line < 1 || reader_line > pieces_.size())
        return {};
    const std::size_t begin = pieces_[reader_line - 1].begin;
    const std::size_t end =
        reader_line < pieces_.size() ? pieces_[reader_line].begin : text_.size();
    return text_.substr(begin, end - begin);
}

std::size_t line_map::pieces_of(std::size_t editor_line) const
{
    if (editor_line < 1 || editor_line > line_starts_.size())
        return 0;
    const std::size_t first = line_first_piece_[editor_line - 1];
    const std::size_t next =
        editor_line < line_starts_.size() ? line_first_piece_[editor_line] : pieces_.size();
    return next - first;
}

} // namespace pexilon
