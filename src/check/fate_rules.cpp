// What became of a line: a section opened, a key stored, a code block kept,
// or the line ignored; each goes to its rules.
#include "check/run_rules.h"

namespace pexilon::check {

namespace {

void on_code(run_state &s)
{
    if (!s.in_control())
        return;
    if (s.control.block_line != 0) {
        diagnostic &d =
            s.add(diag_id::block_replaced, s.whole(s.block_start),
                  "second code block in " + s.control_name() + ": it replaces the first");
        d.notes.push_back({s.whole(s.control.block_line), "the first code block starts here"});
    }
    s.control.block_line = s.block_start;
}

void on_ignored(run_state &s, ignore_cause cause, std::string_view name)
{
    const line_kind kind = s.line->kind;
    switch (cause) {
    case ignore_cause::unknown_section:
        if (s.header_line != 0)
            break;
        if (kind == line_kind::name_value) {
            s.add(diag_id::no_section, s.at(s.line->name),
                  std::string(name) + " stands before any section header and is ignored",
                  "move it below the header of its section");
        } else if (kind == line_kind::block_end) {
            s.add(diag_id::block_ignored, s.whole(s.block_start),
                  "code block before any section header: it is ignored");
        }
        break;
    case ignore_cause::unknown_key:
        if (kind == line_kind::name_value && !s.marker_said)
            warn_unknown_key(s, std::string(name));
        break;
    case ignore_cause::block_outside:
        s.add(diag_id::block_ignored, s.whole(s.block_start),
              "code block under " + as_header(s.section) +
                  " is ignored: only a control section keeps code");
        break;
    case ignore_cause::no_entry:
        break;
    }
}

} // namespace

void on_fate(run_state &s, const line_account &line)
{
    switch (line.fate) {
    case line_fate::none:
        break;
    case line_fate::section:
        on_section(s, line.section, line.section_code);
        break;
    case line_fate::stored:
        on_applied(s, line);
        break;
    case line_fate::code:
        on_code(s);
        break;
    case line_fate::ignored:
        on_ignored(s, line.cause,
                   line.kind == line_kind::continuation ? line.continues : s.span_text(line.name));
        break;
    }
}

} // namespace pexilon::check
