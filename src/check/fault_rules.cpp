// The library's own faults, as errors: a line with no separator, a header
// not closed, a list over 16 numbers, code blocks cut off or left open, and
// what could not be stored.
#include "check/fault_fixes.h"
#include "check/run_rules.h"
#include "config/section_names.h"
#include "config/value_list.h"
#include "reader/byte_order_mark.h"
#include "reader/line_loop.h"
#include "reader/text_helpers.h"

namespace pexilon::check {

namespace {

// Whether the bracket groups of a line cut off a block name a known section
// ("[board parameter][dev2]"), or are more likely code ("[0x10] = 1").
bool names_a_section(std::string_view line)
{
    const std::size_t open = line.find('[');
    const std::size_t close = line.rfind(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return false;
    const std::string name = section_name(line.substr(open + 1, close - open - 1));
    return lookup_row(section_codes, name) != nullptr;
}

// The bytes of the faulty line that the reader read: from its first
// character that is not white space (past a byte-order mark on the first
// line) to its end, without the white space and the line end there.
text_span read_part(const run_state &s)
{
    const std::string_view text = s.line_text();
    std::size_t begin = 0;
    if (s.line->reader_line == 1 && text.substr(0, byte_order_mark.size()) == byte_order_mark)
        begin = byte_order_mark.size();
    std::size_t end = text.size();
    while (end > begin && (text[end - 1] == '\n' || is_white(text[end - 1])))
        --end;
    while (begin < end && is_white(text[begin]))
        ++begin;
    return {begin, end};
}

// Where the reader stopped in `part` of the line looking for what it wanted:
// `stop` finds it in a terminated copy (find_separator for a name,
// scan_to_bracket for a header's "]"), the white space before it dropped.
template <typename Stop>
std::size_t reader_stop(const run_state &s, text_span part, Stop stop)
{
    std::string copy(s.line_text().substr(part.begin, part.end - part.begin));
    const char *at = stop(copy.data());
    std::size_t end = part.begin + static_cast<std::size_t>(at - copy.data());
    while (end > part.begin && is_white(s.line_text()[end - 1]))
        --end;
    return end > part.begin ? end : part.end;
}

void on_no_separator(run_state &s, place where)
{
    // From the start of the name to where the reader gave up looking for
    // its separator: the end of the line, or a comment.
    const text_span part = read_part(s);
    const std::size_t stop = reader_stop(s, part, line_detail::find_separator);
    if (part.end > part.begin)
        where = s.at({part.begin, stop});
    s.add(diag_id::no_separator, where,
          "no '=' or ':' before the end of the line or a comment: the line is not read",
          "write 'NAME = value'; a ';' or '//' after white space starts a comment")
        .fixes = separator_fix(s, part, stop);
}

void on_unclosed_header(run_state &s, place where)
{
    // From the "[" to where the reader looked for the "]" in vain.
    const text_span part = read_part(s);
    const std::size_t stop =
        reader_stop(s, part, [](char *text) { return scan_to_bracket(text + 1); });
    if (part.end > part.begin)
        where = s.at({part.begin, stop});
    s.add(diag_id::unclosed_header, where,
          "section header without its closing ']': the lines below stay in " +
              (s.section.empty() ? std::string("no section") : as_header(s.section)),
          "close the header with ']' (a ';' after white space starts a comment)")
        .fixes = bracket_fix(s, part, stop);
}

// A header that cut a code block off: from the "[" that made the reader
// take the line for one, to its "]".
place cut_place(const run_state &s, place where)
{
    const text_span part = read_part(s);
    if (part.end > part.begin)
        where = s.at({part.begin, reader_stop(s, part, [](char *text) {
                          char *close = scan_to_bracket(text + 1);
                          return *close == ']' ? close + 1 : close;
                      })});
    return where;
}

void on_rejected(run_state &s, place where)
{
    if (s.line->refused == reject_reason::too_many_values) {
        if (s.line->kind == line_kind::name_value || s.line->kind == line_kind::continuation)
            where = s.at(s.line->value);
        // From the first number that is not kept.
        constexpr auto kept = static_cast<std::size_t>(max_list_values);
        if (s.line->key.numbers.size() > kept)
            where = s.at({s.line->key.numbers[kept].begin, s.line->value.end});
        s.add(diag_id::too_many_values, where,
              "more than 16 numbers in one list: only the first 16 are kept",
              "split the list over two lines");
    } else {
        s.add(diag_id::no_memory, where, "this line could not be stored: out of memory");
    }
}

} // namespace

void on_fault(run_state &s, fault kind)
{
    // A later piece of a long line is no line of its own in an editor:
    // its fault points at the column where the piece starts.
    place where = s.whole(s.line->reader_line);
    if (s.line_piece.index > 1) {
        std::string_view piece = s.line_text();
        while (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r'))
            piece.remove_suffix(1);
        where = s.at({0, piece.size()});
    }
    switch (kind) {
    case fault::none:
    case fault::cannot_open:
    case fault::read_error:
        break;
    case fault::no_separator:
        on_no_separator(s, where);
        break;
    case fault::unclosed_header:
        on_unclosed_header(s, where);
        break;
    case fault::rejected:
        on_rejected(s, where);
        break;
    case fault::block_cut_off: {
        where = cut_place(s, where);
        diagnostic &d =
            s.add(diag_id::block_cut_off, where,
                  "section header inside a code block: the block's text is lost, and this "
                  "header opens no section, so the lines below stay in " +
                      as_header(s.section),
                  names_a_section(s.line_text())
                      ? "end the block with ======CODE_BLOCK_END====== before the header"
                      : "a code line may not begin with '[' and hold a ']': the reader takes "
                        "it for a header wherever it stands; write it another way");
        d.notes.push_back({s.whole(s.block_start), "the code block starts here"});
        break;
    }
    case fault::block_unterminated: {
        diagnostic &d =
            s.add(diag_id::block_unterminated, where,
                  "the code block is still open at the end of the file: its text is lost",
                  "end the block with ======CODE_BLOCK_END======");
        d.notes.push_back({s.whole(s.block_start), "the code block starts here"});
        break;
    }
    case fault::block_no_memory:
        s.add(diag_id::no_memory, where,
              "the code block could not be held in memory: its text is lost");
        break;
    }
}

} // namespace pexilon::check
