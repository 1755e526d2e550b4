#include "reader/line_map.h"

#include <algorithm>
#include <cstring>

#include "reader/byte_order_mark.h"
#include "reader/line_parser.h"

namespace pexilon {

line_map::line_map(std::string_view text) : text_(text)
{
    if (text.substr(0, byte_order_mark.size()) == byte_order_mark)
        bom_ = byte_order_mark.size();
    for (std::size_t position = 0; position < text.size();) {
        const void *newline = std::memchr(text.data() + position, '\n', text.size() - position);
        const std::size_t end =
            newline != nullptr
                ? static_cast<std::size_t>(static_cast<const char *>(newline) - text.data()) + 1
                : text.size();
        // The reader takes piece_limit bytes at a time until a piece holds
        // the newline (or the text ends).
        const std::size_t pieces = (end - position + piece_limit - 1) / piece_limit;
#ifdef __EMSCRIPTEN__
        // wasm32: no text reaches 4 GiB, and a 32-bit size_t cannot be
        // shifted by 32.
        while (static_cast<std::uint64_t>(position) >> 32 > wraps_.size())
#else
        while ((position >> 32) > wraps_.size())
#endif
            wraps_.push_back(line_starts_.size());
        line_starts_.push_back(static_cast<std::uint32_t>(position));
        if (pieces > 1)
            long_lines_.push_back({line_starts_.size(), reader_lines_ + 1, pieces});
        reader_lines_ += pieces;
        position = end;
    }
}

const line_map::long_line *line_map::long_line_before(std::size_t reader_line) const
{
    const auto after =
        std::upper_bound(long_lines_.begin(), long_lines_.end(), reader_line,
                         [](std::size_t line, const long_line &l) { return line < l.first_piece; });
    return after == long_lines_.begin() ? nullptr : &*(after - 1);
}

piece line_map::piece_at(std::size_t reader_line) const
{
    piece p;
    // Before the first long line (in most texts there is none) reader and
    // editor lines are one.
    if (long_lines_.empty() || reader_line < long_lines_.front().first_piece) {
        p.editor_line = reader_line;
        p.begin = line_start(reader_line - 1);
        return p;
    }
    const long_line *before = long_line_before(reader_line);
    if (before == nullptr) {
        p.editor_line = reader_line;
    } else if (reader_line < before->first_piece + before->pieces) {
        p.editor_line = before->editor_line;
        p.index = reader_line - before->first_piece + 1;
    } else {
        p.editor_line =
            before->editor_line + (reader_line - (before->first_piece + before->pieces - 1));
    }
    p.column = (p.index - 1) * piece_limit;
    p.begin = line_start(p.editor_line - 1) + p.column;
    return p;
}

std::size_t line_map::editor_line(std::size_t reader_line) const
{
    if (reader_line >= 1 && reader_line <= reader_lines_)
        return piece_at(reader_line).editor_line;
    // Past the end: the line after the last complete one.
    if (text_.empty())
        return 1;
    return text_.back() == '\n' ? line_starts_.size() + 1 : line_starts_.size();
}

std::size_t line_map::column(std::size_t reader_line, std::size_t offset) const
{
    if (reader_line < 1 || reader_line > reader_lines_)
        return 0;
    const piece p = piece_at(reader_line);
    std::size_t column = p.column + offset;
    if (p.editor_line == 1)
        column -= std::min(column, bom_);
    return column + 1;
}

std::string_view line_map::line_text(std::size_t editor_line) const
{
    if (editor_line < 1 || editor_line > line_starts_.size())
        return {};
    std::size_t begin = line_start(editor_line - 1);
    const std::size_t end =
        editor_line < line_starts_.size() ? line_start(editor_line) : text_.size();
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
    if (reader_line < 1 || reader_line > reader_lines_)
        return {};
    return piece_text(piece_at(reader_line));
}

std::string_view line_map::piece_text(const piece &p) const
{
    const std::size_t line_end =
        p.editor_line < line_starts_.size() ? line_start(p.editor_line) : text_.size();
    const std::size_t end = std::min(line_end, p.begin + piece_limit);
    return text_.substr(p.begin, end - p.begin);
}

std::size_t line_map::pieces_of(std::size_t editor_line) const
{
    if (editor_line < 1 || editor_line > line_starts_.size())
        return 0;
    const auto at =
        std::lower_bound(long_lines_.begin(), long_lines_.end(), editor_line,
                         [](const long_line &l, std::size_t line) { return l.editor_line < line; });
    return at != long_lines_.end() && at->editor_line == editor_line ? at->pieces : 1;
}

} // namespace pexilon
