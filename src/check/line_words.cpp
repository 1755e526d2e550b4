#include "check/line_words.h"

#include "check/explain_words.h"
#include "support/hex_text.h"

namespace pexilon::check {

namespace {

std::string hex32(std::uint32_t value) { return hex_spelling(value, 8).c_str(); }

// What the reader took the line for, when nothing became of it.
std::string kind_account(const line_account &line, const run_state &s)
{
    switch (line.kind) {
    case line_kind::blank:
        return "blank";
    case line_kind::comment:
        return "comment";
    case line_kind::header:
        return "section";
    case line_kind::name_value:
        return "ignored";
    case line_kind::continuation:
        return "continues " + std::string(line.continues) + ": ignored";
    case line_kind::block_start:
        return s.in_control() ? "code block start for " + s.control_name()
                              : std::string("code block start (ignored)");
    case line_kind::block_line:
        return "code block line " + std::to_string(s.block_lines) +
               (s.in_control() ? " of " + s.control_name() : std::string(" (ignored)"));
    case line_kind::block_end:
        return "code block end (ignored)";
    case line_kind::block_cut:
        return "faulty: a section header inside a code block; it opens no section";
    case line_kind::faulty:
        break;
    }
    return line.problem == fault::unclosed_header ? "faulty: no closing ]" : "faulty: no separator";
}

// Why the line was ignored.
std::string ignored_account(const line_account &line, const run_state &s)
{
    const bool continuation = line.kind == line_kind::continuation;
    const std::string continues = "continues " + std::string(line.continues) + ": ";
    switch (line.cause) {
    case ignore_cause::unknown_section:
        if (s.header_line == 0)
            return continuation ? continues + "ignored, no section yet"
                                : std::string("ignored: no section yet");
        if (continuation)
            return continues + "ignored, unknown section";
        return line.kind == line_kind::block_end ? "code block end: ignored, unknown section"
                                                 : "ignored: unknown section";
    case ignore_cause::unknown_key:
        return continuation ? continues + "ignored, unknown key"
                            : std::string("ignored: unknown key");
    case ignore_cause::block_outside:
        return "code block end: ignored outside a control section";
    case ignore_cause::no_entry:
        break;
    }
    return "ignored: its control could not be stored";
}

// What became of the line.
std::string fate_account(const line_account &line, const run_state &s)
{
    switch (line.fate) {
    case line_fate::none:
        break;
    case line_fate::section: {
        const std::string header = as_header(line.section);
        if (line.section_code == 0)
            return "section " + header + ": unknown, its lines are ignored";
        return "section " + header + " (" + hex32(line.section_code) + ")" +
               (line.section_code == section_control && line.refused == reject_reason::none
                    ? ": " + s.control_name()
                    : std::string());
    }
    case line_fate::stored:
        return (line.kind == line_kind::continuation
                    ? "continues " + std::string(line.key.key->name) + ": "
                    : std::string()) +
               stored_words(line, s.record);
    case line_fate::code:
        return "code block end: " + s.control_name() + ".code (" + std::to_string(s.block_lines) +
               (s.block_lines == 1 ? " line)" : " lines)");
    case line_fate::ignored:
        return ignored_account(line, s);
    }
    return kind_account(line, s);
}

} // namespace

std::string line_words(const line_account &line, const run_state &s)
{
    std::string words = fate_account(line, s);
    if (line.problem == fault::rejected)
        words += line.refused == reject_reason::too_many_values
                     ? "; faulty: more than 16 numbers, the first 16 kept"
                     : "; faulty: out of memory";
    return words;
}

} // namespace pexilon::check
