// The formatter's facts about a text, taken from its document: the roles and
// spans of each editor line from the line's pieces, the faults from the
// pieces that drew one.
#include "format/format_lines.h"

#include <algorithm>
#include <new>

#include "check/line_rules.h"
#include "config/parse_config.h"
#include "config/record_compare.h"
#include "reader/byte_order_mark.h"
#include "reader/line_map.h"
#include "reader/text_helpers.h"

namespace pexilon::format {

namespace {

// How the interpreter read a key line's value.
value_shape shape_of(const document_piece &piece) noexcept
{
    if (piece.fate != line_fate::stored || piece.key == nullptr)
        return value_shape::ignored;
    return piece.key->form == value_form::text ? value_shape::text : value_shape::numbers;
}

line_role role_of(line_kind kind) noexcept
{
    switch (kind) {
    case line_kind::blank:
        return line_role::blank;
    case line_kind::comment:
        return line_role::comment;
    case line_kind::header:
        return line_role::header;
    case line_kind::name_value:
        return line_role::pair;
    case line_kind::continuation:
        return line_role::continuation;
    case line_kind::block_start:
    case line_kind::block_line:
    case line_kind::block_end:
    case line_kind::block_cut:
        return line_role::block;
    case line_kind::faulty:
        return line_role::faulty;
    }
    return line_role::kept;
}

// The role of a line read whole, from its one piece.
line_role role_of(const document &doc, const document_piece &piece) noexcept
{
    if (!piece.accounted)
        return line_role::kept;
    // A pair with no name whose first word is near a block marker
    // ("=====CODE_BLOCK_START======", "=I=====CODE_BLOCK_START======") is
    // most likely a misspelt marker: the checker says so of its first word,
    // so it stays as written.
    if (piece.kind == line_kind::name_value && piece.name.begin == piece.name.end &&
        check::looks_like_marker(doc.bytes(piece.bytes)))
        return line_role::kept;
    return role_of(piece.kind);
}

read_line line_of(const document &doc, const document_line &at, std::size_t bom)
{
    const std::string_view text = doc.stored_text();
    read_line line;
    line.begin = std::max(at.bytes.begin, bom);
    line.end = at.bytes.end;
    std::size_t content_end = line.end;
    if (content_end > line.begin && text[content_end - 1] == '\n') {
        --content_end;
        if (content_end > line.begin && text[content_end - 1] == '\r')
            --content_end;
    }
    line.content_end = content_end;
    const document_piece &piece = doc.pieces()[at.first_piece];
    line.name_begin = piece.name.begin;
    line.name_end = piece.name.end;
    line.value_begin = piece.value.begin;
    line.value_end = piece.value.end;
    if (piece.kind == line_kind::name_value || piece.kind == line_kind::continuation)
        line.shape = shape_of(piece);
    // A line over 199 bytes is read in pieces, each a line of its own; and a
    // NUL byte ends a line for the reader: what follows it is not read, and
    // the formatter cannot tell what it is.
    if (at.piece_count > 1 ||
        text.substr(line.begin, line.end - line.begin).find('\0') != std::string_view::npos)
        line.role = line_role::kept;
    else
        line.role = role_of(doc, piece);
    return line;
}

fault_mark fault_of(std::size_t reader_line, std::size_t editor_line, fault kind) noexcept
{
    return {reader_line, editor_line, static_cast<int>(kind),
            kind == fault::block_cut_off || kind == fault::block_unterminated};
}

// The faults of a parse, and nothing else of its lines.
class fault_listener final : public account_listener {
public:
    void account(const line_account &line) noexcept override
    {
        if (line.problem == fault::none)
            return;
        try {
            faults.push_back(fault_of(line.reader_line, 0, line.problem));
        } catch (...) {
            failed = true;
        }
    }

    std::vector<fault_mark> faults;
    bool failed = false;
};

// The faults, the result and the record of `text`, without its lines.
text_reading read_faults(std::string_view text)
{
    text_reading reading;
    reading.own_record.reset(new parsed_config{});
    fault_listener heard;
    const config_report report =
        parse_config_accounted(text.data(), text.size(), reading.own_record.get(), heard);
    if (heard.failed)
        throw std::bad_alloc();
    reading.parse_result = report.outcome.line;
    reading.result_kind = static_cast<int>(report.outcome.kind);
    reading.faults = std::move(heard.faults);
    if (!reading.faults.empty()) {
        const line_map map(text);
        for (fault_mark &mark : reading.faults)
            mark.editor_line = map.editor_line(mark.reader_line);
    }
    return reading;
}

} // namespace

bool is_white_byte(char c) noexcept { return is_white(c); }

namespace {

// The formatter's facts, taken from the document `reading` holds.
void take_lines(std::string_view text, text_reading &reading)
{
    const document &doc = *reading.doc;
    reading.parse_result = doc.report().outcome.line;
    reading.result_kind = static_cast<int>(doc.report().outcome.kind);
    const std::vector<document_line> &lines = doc.lines();
    for (std::size_t n = 0; n < lines.size(); ++n) {
        for (std::size_t p = 0; p < lines[n].piece_count; ++p) {
            const document_piece &piece = doc.pieces()[lines[n].first_piece + p];
            if (piece.accounted && piece.problem != fault::none)
                reading.faults.push_back(fault_of(piece.reader_line, n + 1, piece.problem));
        }
    }
    if (text.substr(0, byte_order_mark.size()) == byte_order_mark)
        reading.bom = byte_order_mark.size();
    reading.lines.reserve(lines.size());
    for (const document_line &line : lines)
        reading.lines.push_back(line_of(doc, line, reading.lines.empty() ? reading.bom : 0));
}

} // namespace

text_reading read_for_format(std::string_view text, bool with_lines)
{
    if (!with_lines)
        return read_faults(text);
    text_reading reading;
    reading.doc = std::make_unique<const document>(std::string(text), document_detail::pieces);
    take_lines(text, reading);
    return reading;
}

text_reading read_for_format(std::string_view text, const document_parse &parse)
{
    text_reading reading;
    reading.doc =
        std::make_unique<const document>(std::string(text), document_detail::pieces, parse);
    take_lines(text, reading);
    return reading;
}

std::string record_difference(const parsed_config &before, const parsed_config &after)
{
    const record_mismatch mismatch = first_mismatch(before, after);
    if (!mismatch)
        return {};
    const std::string_view part = mismatch.part;
    if (part == "camera")
        return "the camera settings";
    if (part == "param_count")
        return "the number of board and register entries (" + std::to_string(before.param_count) +
               " before, " + std::to_string(after.param_count) + " after)";
    if (part == "control_count")
        return "the number of controls (" + std::to_string(before.control_count) + " before, " +
               std::to_string(after.control_count) + " after)";
    return std::string(part) + "[" + std::to_string(mismatch.index) + "]";
}

std::string_view fault_words(int kind) noexcept
{
    config_report report;
    report.outcome.kind = static_cast<fault>(kind);
    return describe_fault(report);
}

} // namespace pexilon::format
