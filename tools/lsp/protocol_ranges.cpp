// Positions and ranges as the protocol writes them.
#include "editor_requests.h"

namespace pexilon_lsp {

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
    std::string_view text = lines.line(line);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    return range_json(line, 0, line, lines.utf16_column(line, text.size()));
}

} // namespace pexilon_lsp
