// Positions and ranges read from the editor's messages.
#include "request_positions.h"

namespace pexilon::lsp {

namespace {

std::size_t protocol_number(const nlohmann::json &value)
{
    // Integers are kept in 64 bits, signed or not (a parsed non-negative one
    // is unsigned, one built in code may be signed): they fit std::size_t as
    // they are. A float is refused whatever its value.
    if (!value.is_number_integer() || (!value.is_number_unsigned() && value.get<long long>() < 0))
        throw nlohmann::json::type_error::create(
            302, "a non-negative integer is wanted, not " + value.dump(), nullptr);
    return value.get<std::size_t>();
}

bool before(const position &a, const position &b)
{
    return a.line < b.line || (a.line == b.line && a.character < b.character);
}

} // namespace

std::string request_fault(const nlohmann::json::exception &e)
{
    const std::string_view what = e.what();
    const std::size_t tag_end = what.rfind("] ", what.find(' '));
    return std::string(tag_end == std::string_view::npos ? what : what.substr(tag_end + 2));
}

position position_in(const nlohmann::json &at)
{
    return {protocol_number(at.at("line")), protocol_number(at.at("character"))};
}

protocol_range range_in(const nlohmann::json &range)
{
    const protocol_range read{position_in(range.at("start")), position_in(range.at("end"))};
    if (before(read.end, read.start))
        throw nlohmann::json::type_error::create(
            302, "the range ends before it starts: " + range.dump(), nullptr);
    return read;
}

reader_span reader_lines_of(const text_lines &lines, const protocol_range &range)
{
    std::size_t last = range.end.line;
    if (last > range.start.line && range.end.character == 0)
        --last;
    return {lines.reader_line_at(lines.offset(range.start.line, 0)),
            lines.reader_line_at(lines.offset(last, 0))};
}

} // namespace pexilon::lsp
