// A stored key line: its value and its written form, an indented line read
// as its continuation, a key given twice.
#include "check/explain_words.h"
#include "check/fixits.h"
#include "check/line_rules.h"
#include "check/run_rules.h"
#include "check/value_rules.h"

namespace pexilon::check {

namespace {

// "NAME = value" or "NAME: value": a line that reads as one of its own.
// A NUL byte ends the text as its end does.
bool looks_like_pair(std::string_view text)
{
    const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    std::size_t p = 0;
    for (char c = at(p); c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                         (p != 0 && c >= '0' && c <= '9');
         c = at(p))
        ++p;
    if (p == 0)
        return false;
    while (at(p) == ' ' || at(p) == '\t')
        ++p;
    return at(p) == '=' || at(p) == ':';
}

// "[...]" or the start marker: a line that reads as one of its own too.
bool looks_like_structure(std::string_view text)
{
    return text.starts_with('[') || text.starts_with("======");
}

void written_form(run_state &s, const line_account &line, bool tidy)
{
    std::vector<diagnostic> found;
    if (!tidy)
        check_written_form(line, s.line_text(), found);
    if (line.kind == line_kind::continuation && s.empty_value &&
        line.key.key->form == value_form::list) {
        s.empty_value->held.message +=
            ", and the numbers on the indented line below make an entry of their own";
        s.emit(s.empty_value);
    }
    for (diagnostic &f : found) {
        if (f.id != diag_id::empty_value) {
            s.found.add(s.judged(std::move(f)));
            continue;
        }
        // Held until the next line tells whether numbers follow it.
        s.emit(s.empty_value);
        s.empty_value = s.hold(s.judged(std::move(f)));
    }
}

// An indented line after a key continues it. That is the dialect's way
// to go on with a list of numbers; anything else is probably a line of
// its own that was indented by mistake.
bool misread_continuation(run_state &s, const line_account &line)
{
    const key_row &key = *line.key.key;
    const std::string_view value = s.span_text(line.value);
    const bool own_line = looks_like_pair(value) || looks_like_structure(value);
    const bool camera = key.target == key_target::camera;
    if (!own_line && !camera && !holds_one_value(key))
        return false;
    const std::string got = stored_words(line, s.record);
    const std::string name = key.name;
    diagnostic &d =
        s.add(diag_id::continuation, s.at(line.value),
              "indented line is read as a continuation of " + name + ", so " + got,
              own_line ? "remove the indentation to read it as a line of its own"
              : camera ? "camera keys take no continuation lines: a continuation replaces "
                         "the value of " +
                             name + "; write the whole value on one line"
                       : "a continuation replaces the value of " + name +
                             "; write the whole value on one line");
    d.notes.push_back({{s.pair_line, false, s.pair_span}, "the line it continues is here"});
    if (own_line && s.line_piece.index == 1)
        d.fixes.push_back(unindent_fix(line.reader_line, line.value.begin, key,
                                       own_key(s.section_code, value), s.section_code));
    if (camera)
        ++s.pair_continuations;
    if (s.in_control())
        s.control.keys[key.code] = s.at(line.value);
    return true;
}

void note_duplicate(run_state &s, const key_row &key)
{
    place *first = nullptr;
    if (key.target == key_target::camera)
        first = &s.camera_given[key.code];
    else if (key.target == key_target::control && s.in_control())
        first = &s.control.first[key.code];
    if (first == nullptr)
        return;
    if (first->reader_line != 0) {
        const std::string owner =
            key.target == key_target::camera ? std::string("camera") : s.control_name();
        diagnostic &d = s.add(diag_id::duplicate_key, s.at(s.line->name),
                              std::string(key.name) + " is given twice for " + owner +
                                  ": this later value wins");
        d.notes.push_back({*first, "first given here"});
    } else {
        *first = s.at(s.line->name);
    }
}

} // namespace

// The shape of the line as written (check/line_rules.h).
void on_shape(run_state &s, const line_account &line)
{
    s.marker_said = false;
    if (s.cr_only)
        return; // said once for the whole file
    if (line.kind != line_kind::continuation && line.kind != line_kind::blank &&
        line.kind != line_kind::comment)
        s.emit(s.empty_value);
    std::optional<diagnostic> f = line.kind == line_kind::header
                                      ? check_header_rest(line, s.line_text())
                                  : may_hold_marker(line) ? check_block_marker(line, s.line_text())
                                                          : std::nullopt;
    if (!f)
        return;
    s.marker_said = f->id == diag_id::block_marker;
    s.found.add(s.judged(std::move(*f)));
}

// The line of the pair is over: its held counts are whole.
void end_pair(run_state &s)
{
    for (held_diagnostic &count : s.pair_counts) {
        if (s.pair_continuations != 0)
            count.held.message += s.pair_continuations == 1
                                      ? "; the numbers on the indented line below do not add "
                                        "to it: camera keys take no continuation lines"
                                      : "; the numbers on the indented lines below do not add "
                                        "to it: camera keys take no continuation lines";
        s.emit(std::move(count));
    }
    s.pair_counts.clear();
    s.pair_continuations = 0;
}

// A register write of one number, an address: a sensor's register takes an
// address and a value, so the REG entries of a register section hold two
// numbers or more. Certain only where the number can be nothing but an
// address: above a byte, or written as one (0x and four digits or more);
// "REG = 1" may be a placeholder or a value meant for the line above.
// Board sections are not judged: their entries' numbers are the board's
// own (a device first, or a command). Only a value read whole, which draws
// nothing else.
void check_register_write(run_state &s, const line_account &line)
{
    const key_row &key = *line.key.key;
    if (key.target != key_target::entry || key.code != PEXILON_KEY_REG ||
        pexilon::kind_of(s.section_code) != PEXILON_KIND_REGISTER || line.key.numbers.size() != 1)
        return;
    const number_account &n = line.key.numbers.front();
    constexpr std::size_t address_spelling = 6; // "0x0100"
    if (n.read <= 0xFF && !(n.hex && std::size_t{n.end} - n.begin >= address_spelling))
        return;
    const std::string number(s.span_text({n.begin, n.end}));
    // A list that ends in a comma, and numbers on the indented line below:
    // meant as one list, but every line is an entry of its own.
    const std::string_view value = s.span_text(line.value);
    const bool comma_last = !value.empty() && value.back() == ',';
    s.add(diag_id::reg_no_value, s.at({n.begin, n.end}),
          "REG has one number, so " + stored_words(line, s.record) +
              ": a register write needs an address and a value",
          comma_last ? std::string("an indented line below makes an entry of its own, not more "
                                   "of this one: write the address and the value on one line")
                     : "write the address and the value on one line: REG = " + number + ", VALUE");
}

void on_applied(run_state &s, const line_account &line)
{
    const key_row &key = *line.key.key;
    note_cut_number(s, line);
    const bool continuation = line.kind == line_kind::continuation;
    if (continuation && misread_continuation(s, line))
        return;
    const bool tidy = value_is_tidy(line, s.line_text());
    std::vector<diagnostic> found;
    if (!tidy)
        found = check_value(line, s.line_text());
    if (continuation && !tidy)
        check_continuation_comment(line, s.line_text(), found);
    for (diagnostic &f : found) {
        diagnostic d = s.judged(std::move(f));
        // A camera key's count is held until its pair ends: an indented
        // line below adds nothing to it, which its words then say.
        if (d.id == diag_id::value_count && !continuation && key.target == key_target::camera)
            s.pair_counts.push_back(s.hold(std::move(d)));
        else
            s.found.add(std::move(d));
    }
    written_form(s, line, tidy);
    if (tidy)
        check_register_write(s, line);
    if (!continuation)
        note_duplicate(s, key);
    if (s.in_control()) {
        s.control.keys[key.code] = s.name_place();
        if (key.code == key_ctrl_name)
            s.names_given.expect(s.record.controls[s.control.index].ctrl_name);
    }
}

} // namespace pexilon::check
