// The line parser's main loop: what each line is, and what is handed on for
// it. A template over its source and receiver (reader/line_binding.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstring>

#include "reader/block_markers.h"
#include "reader/byte_order_mark.h"
#include "reader/byte_search.h"
#include "reader/code_block.h"
#include "reader/parser_state.h"
#include "reader/text_helpers.h"

namespace pexilon {

namespace line_detail {

// The mark's bytes as the loop compares them.
static_assert(byte_order_mark.size() == 3);
inline constexpr unsigned char bom_bytes[] = {static_cast<unsigned char>(byte_order_mark[0]),
                                              static_cast<unsigned char>(byte_order_mark[1]),
                                              static_cast<unsigned char>(byte_order_mark[2])};

// Compared byte by byte, so that nothing past the terminator of a short
// line is read: the line may lie in place inside the reader's block.
inline bool begins_with_bom(const char *text) noexcept
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    return bytes[0] == bom_bytes[0] && bytes[1] == bom_bytes[1] && bytes[2] == bom_bytes[2];
}

template <typename State>
void tell_faulty(State &state, fault problem) noexcept
{
    if (state.sink != nullptr) {
        line_event event;
        event.kind = line_kind::faulty;
        event.section = state.section;
        event.problem = problem;
        state.sink->line(state.line_number, event);
    }
}

// Tells the sink of a name/value or continuation line before the handler
// hears of it.
template <typename State>
void tell_pair(State &state, line_kind kind, const char *name, const char *name_end,
               const char *value) noexcept
{
    line_event event;
    event.kind = kind;
    if (kind == line_kind::name_value)
        event.name = {state.offset(name), state.offset(name_end)};
    event.value = {state.offset(value), state.offset(value + std::strlen(value))};
    event.section = state.section;
    event.previous_name = state.previous_name;
    state.sink->line(state.line_number, event);
}

// "[name]", or several groups back to back ("[a][b]") joined as "a||b".
template <typename State>
void read_section_header(State &state, char *start) noexcept
{
    char *p = scan_to_bracket(start + 1);
    if (*p != ']') {
        tell_faulty(state, fault::unclosed_header);
        state.record(fault::unclosed_header);
        return;
    }
    while (p[1] == '[') {
        p[0] = '|';
        p[1] = '|';
        p = scan_to_bracket(p + 1);
        if (*p != ']')
            break; // an unclosed later group runs on to the end or a comment
    }
    const bool closed = *p == ']'; // the text after it is ignored
    *p = '\0';
    // The scans stopped at the first end of the text: none comes before p.
    const auto length =
        std::min(static_cast<std::size_t>(p - (start + 1)), sizeof state.section - 1);
    std::memcpy(state.section, start + 1, length);
    state.section[length] = '\0';
    state.previous_name[0] = '\0';
    if (state.sink != nullptr) {
        line_event event;
        event.kind = line_kind::header;
        event.name = {state.offset(start + 1), state.offset(p)};
        if (closed) // the line was trimmed: its text ends at a terminator
            event.rest = {state.offset(p + 1), state.offset(p + 1 + std::strlen(p + 1))};
        event.section = state.section;
        state.sink->line(state.line_number, event);
    }
    state.report(nullptr, nullptr);
}

// The first byte at or after p that may end a value: the end of its text, or
// a ";" or "/", which may open a comment. The bytes read past the line's end
// are the next line's or the buffer's: its newline or terminator comes first.
inline char *find_value_stop(char *p, const char *readable_end) noexcept
{
    if (char *stop = wide_search<';', '/', '\n', '\0'>(p, readable_end, &p))
        return stop;
    return p + std::strcspn(p, ";/\n");
}

// Terminates `value` where an inline comment starts (a ";" or "//" after
// white space) and drops the white space before it; returns where the
// terminator stands.
inline char *cut_comment(char *value, const char *readable_end) noexcept
{
    char *p = value;
    for (;;) {
        p = find_value_stop(p, readable_end);
        if (ends_text(*p) || (p != value && is_white(p[-1]) && (p[0] == ';' || p[1] == '/')))
            break;
        ++p;
    }
    p = before_white(value, p);
    *p = '\0';
    return p;
}

// The bytes that can end the name of a name/value line: the end of the text,
// the separators, ";" and "/", which may open a comment, and the blank, which
// mostly stands between a name and its separator.
inline constexpr auto name_stops = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {'\0', '\n', '=', ':', ';', '/', ' '})
        table[c] = true;
    return table;
}();

// The first "=" or ":" of the name, or where it ends without one (the end
// of the text, or an inline comment). The name is short: one table look-up a
// byte, inline. "REG = 1" and "REG: 1" leave the loop at the same byte, the
// blank or the colon, and one blank is stepped over without a branch: in a
// table that mixes the two forms, a loop that ran on to the "=" guessed wrong
// at every change of form.
inline char *find_separator(char *start) noexcept
{
    for (char *p = start;; ++p) {
        if (!name_stops[static_cast<unsigned char>(*p)])
            continue;
        char *after_blank = p + (*p == ' ' ? 1 : 0);
        if (*after_blank == '=' || *after_blank == ':')
            return after_blank;
        if (*p == ' ')
            continue; // a blank inside the name, or more white space
        if ((*p != ';' && *p != '/') ||
            (p != start && is_white(p[-1]) && (*p == ';' || p[1] == '/')))
            return p;
    }
}

// Remembers the name for continuation lines; it has no terminator before
// `length` (the scan for the separator would have stopped there).
template <typename State>
void keep_name(State &state, const char *name, std::size_t length) noexcept
{
    // Names are short: where 16 bytes may be read, 16 are copied at once (a
    // fixed size the compiler copies inline, where a call would cost more).
    const char *readable_end = state.readable_end();
    if (length < 16 && readable_end != nullptr && readable_end - name >= 16) {
        std::memcpy(state.previous_name, name, 16);
    } else {
        length = std::min(length, sizeof state.previous_name - 1);
        std::memcpy(state.previous_name, name, length);
    }
    state.previous_name[length] = '\0';
}

// "name = value" or "name: value", with an optional inline comment. Inline
// in the loop, with what it calls: the lines of a register table are mostly
// these, and a call for each saved and restored more than the line needs.
template <typename State>
[[gnu::always_inline]] inline void read_name_value(State &state, char *start) noexcept
{
    char *separator = find_separator(start);
    if (*separator != '=' && *separator != ':') {
        tell_faulty(state, fault::no_separator);
        state.record(fault::no_separator);
        return;
    }
    // The name ends at the separator: trim back from there, one blank
    // without a branch, as in find_separator.
    char *name_end = separator;
    if (name_end != start) {
        name_end -= name_end[-1] == ' ' ? 1 : 0;
        name_end = before_white(start, name_end);
    }
    *name_end = '\0';
    const char *name = start;
    const char *value_end = cut_comment(separator + 1, state.readable_end());
    char *value = trim_left(separator + 1);
    keep_name(state, name, static_cast<std::size_t>(name_end - start));
    if (state.sink != nullptr)
        tell_pair(state, line_kind::name_value, name, name_end, value);
    state.report_value(name, value, value_end);
}

// `start` is the line's first character that is not white space; the
// white space at its end is still there. A name/value line, by far the most
// common, needs no trimming of its end: its value ends at a comment or at
// the end of the line and drops the white space before either. The other
// kinds are trimmed first. Inlined into the loop: left to itself the compiler
// calls it, one more call for every line.
template <typename State>
[[gnu::always_inline]] inline void read_line(State &state, char *start) noexcept
{
    if (ends_text(*start)) {
        state.tell(line_kind::blank);
        return;
    }
    if (*start == ';' || *start == '#' || (start[0] == '/' && start[1] == '/')) {
        state.tell(line_kind::comment);
        return;
    }
    // An indented line after a name/value line continues it, whatever it
    // looks like.
    if (start != state.line && state.previous_name[0] != '\0') {
        const char *end = trim_back(start, state.end_of_text());
        if (state.sink != nullptr)
            tell_pair(state, line_kind::continuation, nullptr, nullptr, start);
        state.report_value(state.previous_name, start, end);
        return;
    }
    if (*start == '[') {
        trim_back(start, state.end_of_text());
        read_section_header(state, start);
        return;
    }
    if (*start == '=' &&
        spells_marker(start,
                      static_cast<std::size_t>(trim_back(start, state.end_of_text()) - start),
                      code_block_start)) {
        state.tell(line_kind::block_start);
        read_code_block(state);
        return;
    }
    read_name_value(state, start);
}

} // namespace line_detail

// Runs the parser over every line `source` gives, handing the events to
// `receiver` and telling `sink`, when there is one, of every line and fault.
// The outcome is that of parse_lines.
template <typename Source, typename Receiver>
parse_outcome run_line_parser(Source &source, Receiver &receiver, reader_sink *sink) noexcept
{
    using namespace line_detail;
    parser_state<Source, Receiver> state{source, receiver, sink};
    if (!state.next_line())
        return state.outcome();
    // A byte order mark is passed over at the start of the first line only.
    char *text = state.line;
    if (begins_with_bom(text))
        text += sizeof bom_bytes;
    for (;;) {
        read_line(state, trim_left(text));
        if (!state.next_line())
            return state.outcome();
        text = state.line;
    }
}

} // namespace pexilon
