// Positions and ranges as the protocol writes them.
#include "editor_requests.h"

namespace pexilon::lsp {

nlohmann::json position_json(std::size_t line, std::size_t character)
{
    return {{"line", line}, {"character", character}};
}

nlohmann::json range_json(std::size_t line, std::size_t start, std::size_t end_line,
                          std::size_t end)
{
    return {{"start", position_json(line, start)}, {"end", position_json(end_line, end)}};
}

nlohmann::json line_range(const text_lines &lines, std::size_t line)
{
    return range_json(line, 0, line, lines.utf16_column(line, lines.line(line).size()));
}

nlohmann::json reader_line_range(const text_lines &lines, std::size_t reader_line)
{
    const position start = lines.position_of(lines.reader_line_start(reader_line));
    const position end = lines.position_of(lines.reader_line_end(reader_line));
    return range_json(start.line, start.character, end.line, end.character);
}

} // namespace pexilon::lsp
