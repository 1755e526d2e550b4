// The checker's listener: for each line, the account of what the reader took
// it for and what the interpreter did with it; from it the rules draw the
// diagnostics.
#include "check/check_run.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

#include "check/control_rules.h"
#include "check/explain_words.h"
#include "check/fixits.h"
#include "check/line_rules.h"
#include "check/size_pair.h"
#include "check/suggestions.h"
#include "check/value_rules.h"
#include "config/code_tables.h"
#include "config/line_accounts.h"
#include "config/value_list.h"
#include "reader/line_map.h"
#include "support/record_ops.h"

namespace pexilon::check {

namespace {

// A section name as it is written: the reader joins bracket groups with "||".
std::string as_header(std::string_view section)
{
    std::string out = "[";
    for (std::size_t i = 0; i < section.size(); ++i) {
        if (section[i] == '|' && i + 1 < section.size() && section[i + 1] == '|') {
            out += "][";
            ++i;
        } else {
            out += section[i];
        }
    }
    return out + "]";
}

template <typename Row, std::size_t N>
std::vector<std::string> names_of(const Row (&table)[N], bool headers)
{
    std::vector<std::string> names;
    for (const Row &row : rows_of(table))
        names.push_back(headers ? as_header(row.name) : row.name);
    return names;
}

std::string hex32(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, value);
    return text;
}

// Whether the bracket groups of a line cut off a block name a known section
// ("[board parameter][dev2]"), or are more likely code ("[0x10] = 1").
bool names_a_section(std::string_view line)
{
    const std::size_t open = line.find('[');
    const std::size_t close = line.rfind(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return false;
    std::string name(line.substr(open + 1, close - open - 1));
    for (std::size_t at = 0; (at = name.find("][", at)) != std::string::npos; at += 2)
        name.replace(at, 2, "||");
    return lookup_row(section_codes, name) != nullptr;
}

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

// Places kept by key code: more than any section's table has keys.
constexpr std::size_t key_slots = 16;

class check_run final : public account_listener {
public:
    check_run(std::string_view text, const line_map &map, bool with_accounts)
        : text_(text), map_(map), with_accounts_(with_accounts)
    {
        if (with_accounts_)
            accounts_.resize(map_.reader_lines());
    }

    ~check_run() { release_record(record_); }

    check_run(const check_run &) = delete;
    check_run &operator=(const check_run &) = delete;

    run_result run()
    {
        run_result result;
        check_line_ends();
        result.outcome =
            parse_config_accounted(text_.data(), text_.size(), &record_, *this).outcome;
        guard([&] {
            close_section();
            end_pair();
            emit(empty_value_);
        });
        if (failed_)
            throw std::bad_alloc();
        result.diagnostics = in_order();
        for (std::size_t i = 0; i < accounts_.size(); ++i) {
            const piece p = map_.piece_at(i + 1);
            accounts_[i].editor_line = p.editor_line;
            accounts_[i].reader_line = i + 1;
            accounts_[i].piece = p.index;
            accounts_[i].source = map_.line_text(p.editor_line);
            if (p.index > 1)
                accounts_[i].text =
                    "piece " + std::to_string(p.index) + " of a long line: " + accounts_[i].text;
        }
        result.accounts = std::move(accounts_);
        return result;
    }

    void account(const line_account &line) noexcept override
    {
        guard([&] {
            line_ = &line;
            // Where the line stands, found once for all the rules.
            piece_ = map_.piece_at(line.reader_line);
            text_now_ = line.reader_line <= map_.reader_lines() ? map_.piece_text(piece_)
                                                                : std::string_view();
            on_line(line);
            on_shape(line);
            on_fate(line);
            if (line.problem != fault::none)
                on_fault(line.problem);
        });
    }

private:
    struct held_diagnostic {
        std::size_t order; // among the diagnostics found
        raw_diagnostic diagnostic;
    };

    struct control_state {
        bool active = false;
        std::size_t index = 0;
        std::array<place, key_slots> keys{};  // by key code: where it was last set
        std::array<place, key_slots> first{}; // by key code: where it was first given
        std::size_t block_line = 0;           // start marker of its code block
        place header;                         // its section header
    };

    // No exception may cross the parse: a failure is remembered and thrown
    // once the parse is over.
    template <typename F>
    void guard(F &&f) noexcept
    {
        if (failed_)
            return;
        try {
            f();
        } catch (...) {
            failed_ = true;
        }
    }

    place whole(std::size_t reader_line) const { return {reader_line, true, {}}; }
    place at(text_span span) const { return {line_->reader_line, false, span}; }
    place name_place() const
    {
        return line_->kind == line_kind::name_value ? at(line_->name) : at(line_->value);
    }

    raw_diagnostic &add(diag_id id, place where, std::string message, std::string hint = {})
    {
        diagnostics_.push_back({id, std::move(message), std::move(hint), where});
        order_.push_back(found_++);
        return diagnostics_.back();
    }

    // A diagnostic whose words wait on a line still to come: it takes its
    // place among the diagnostics now, and is emitted once its rule has
    // made it whole.
    held_diagnostic hold(raw_diagnostic d) { return {found_++, std::move(d)}; }
    void emit(held_diagnostic &&held)
    {
        diagnostics_.push_back(std::move(held.diagnostic));
        order_.push_back(held.order);
    }
    void emit(std::optional<held_diagnostic> &held)
    {
        if (held)
            emit(std::move(*held));
        held.reset();
    }

    // The diagnostics in the order they were found.
    std::vector<raw_diagnostic> in_order()
    {
        std::vector<std::size_t> index(diagnostics_.size());
        for (std::size_t i = 0; i < index.size(); ++i)
            index[i] = i;
        std::sort(index.begin(), index.end(),
                  [&](std::size_t a, std::size_t b) { return order_[a] < order_[b]; });
        std::vector<raw_diagnostic> out;
        out.reserve(index.size());
        for (const std::size_t i : index)
            out.push_back(std::move(diagnostics_[i]));
        return out;
    }

    // The account of the current line, when accounts are kept. Words built
    // for it are built only then (with_accounts_).
    void say(std::string_view text)
    {
        const std::size_t n = line_->reader_line;
        if (with_accounts_ && n >= 1 && n <= accounts_.size())
            accounts_[n - 1].text = text;
    }
    void say_more(std::string_view text)
    {
        const std::size_t n = line_->reader_line;
        if (with_accounts_ && n >= 1 && n <= accounts_.size())
            accounts_[n - 1].text += text;
    }

    std::string control_name() const { return "controls[" + std::to_string(control_.index) + "]"; }

    // The line as the reader read it (a piece of at most 199 bytes).
    std::string_view line_text() const { return text_now_; }
    std::string_view span_text(text_span span) const
    {
        return line_text().substr(span.begin, span.end - span.begin);
    }

    // Line ends of CR alone: the reader ends a line at LF only, so the file
    // is one long line.
    void check_line_ends()
    {
        if (!lines_end_in_cr_alone(text_))
            return;
        cr_only_ = true;
        add(diag_id::line_ends, whole(1),
            "the lines of this file end in CR alone: the reader ends a line at LF only, so it "
            "reads the file as one line" +
                (text_.size() > piece_limit
                     ? ", in pieces of " + std::to_string(piece_limit) + " bytes"
                     : std::string()) +
                ", and its settings are not read as written",
            "convert the line ends to LF (or CR LF)");
    }

    // ---------------------------------------------------------------- lines

    void on_line(const line_account &event)
    {
        const std::size_t reader_line = event.reader_line;
        note_split(event.kind);
        switch (event.kind) {
        case line_kind::blank:
            say("blank");
            break;
        case line_kind::comment:
            say("comment");
            break;
        case line_kind::header:
            close_section();
            header_line_ = reader_line;
            header_span_ = event.name;
            say("section");
            break;
        case line_kind::name_value:
            end_pair();
            pair_line_ = reader_line;
            pair_span_ = event.name;
            if (section_code_ == section_camera)
                if (const key_row *key = lookup_row(camera_keys, span_text(event.name));
                    key != nullptr && key->form == value_form::pair)
                    camera_halves_.size_line = true;
            say("ignored");
            break;
        case line_kind::continuation:
            if (with_accounts_)
                say("continues " + std::string(event.continues) + ": ignored");
            break;
        case line_kind::block_start:
            block_start_ = reader_line;
            block_lines_ = 0;
            if (with_accounts_)
                say(in_control() ? "code block start for " + control_name()
                                 : std::string("code block start (ignored)"));
            break;
        case line_kind::block_line:
            ++block_lines_;
            if (with_accounts_)
                say("code block line " + std::to_string(block_lines_) +
                    (in_control() ? " of " + control_name() : std::string(" (ignored)")));
            break;
        case line_kind::block_end:
            say("code block end (ignored)");
            break;
        case line_kind::block_cut:
            say("faulty: a section header inside a code block; it opens no section");
            break;
        case line_kind::faulty:
            say(event.problem == fault::unclosed_header ? "faulty: no closing ]"
                                                        : "faulty: no separator");
            break;
        }
        if (section_code_ == 0 && header_line_ != 0 && event.kind != line_kind::header &&
            event.kind != line_kind::blank && event.kind != line_kind::comment)
            ++ignored_lines_;
    }

    // The line of the pair is over: its held counts are whole.
    void end_pair()
    {
        for (held_diagnostic &count : pair_counts_) {
            for (std::size_t i = 0; i < pair_continuations_; ++i)
                count.diagnostic.message += "; the numbers on the indented line below do not add "
                                            "to it: camera keys take no continuation lines";
            emit(std::move(count));
        }
        pair_counts_.clear();
        pair_continuations_ = 0;
    }

    bool in_control() const { return section_code_ == section_control && control_.active; }

    // A piece after the first of a line over 199 bytes is read as a line of
    // its own; unless it is blank, the line is not read as written.
    // A piece that ends inside a number: the number as far as the piece
    // goes is what the record got. Kept for the split-line warning of the
    // piece after it.
    void note_cut_number(const line_account &line)
    {
        const std::string_view piece = line_text();
        const auto &numbers = line.key.numbers;
        if (numbers.empty() || piece.empty() || piece.back() == '\n' ||
            numbers.size() > max_list_values)
            return;
        const number_account &last = numbers.back();
        if (last.end != piece.size() || last.begin + last.taken != last.end || !last.digits)
            return;
        const key_row &key = *line.key.key;
        char stored[32];
        if (last.hex)
            std::snprintf(stored, sizeof stored, "0x%" PRIX64,
                          static_cast<std::uint64_t>(last.stored));
        else
            std::snprintf(stored, sizeof stored, "%" PRId64, last.stored);
        cut_line_ = line.reader_line;
        cut_words_ = (key.form == value_form::number
                          ? key_label(key)
                          : std::string(key.name) + "'s number " + std::to_string(numbers.size())) +
                     " got " + stored;
    }

    // The number a piece's cut falls in, as the line writes it, and what the
    // record got of it; empty when the cut falls between words.
    std::string cut_number_words(std::size_t line, std::string_view source, std::size_t column)
    {
        if (line != cut_line_ + 1 || column >= source.size() ||
            !std::isalnum(static_cast<unsigned char>(source[column])))
            return {};
        std::size_t begin = column;
        while (begin > 0 && std::isalnum(static_cast<unsigned char>(source[begin - 1])))
            --begin;
        std::size_t end = column;
        while (end < source.size() && std::isalnum(static_cast<unsigned char>(source[end])))
            ++end;
        return "; the cut falls inside '" + std::string(source.substr(begin, end - begin)) +
               "': " + cut_words_;
    }

    void note_split(line_kind kind)
    {
        const std::size_t line = line_->reader_line;
        const piece &p = piece_;
        if (p.index < 2 || kind == line_kind::blank || p.editor_line == split_warned_)
            return;
        const std::string_view source = map_.line_text(p.editor_line);
        if (source.size() <= piece_limit || p.column >= source.size())
            return; // only its line end was left over
        split_warned_ = p.editor_line;
        raw_diagnostic &d =
            add(diag_id::split_line, {line, false, {0, source.size() - p.column}},
                "this line has " + std::to_string(source.size()) + " bytes; the reader takes " +
                    std::to_string(piece_limit) + " at a time, so the text from column " +
                    std::to_string(p.column + 1) + " on is read as " + kind_words(kind) +
                    cut_number_words(line, source, p.column),
                "break the line, or shorten it to " + std::to_string(piece_limit) + " bytes");
        d.notes.push_back(
            {whole(line - 1), "pexilon_parse_config counts this line as lines " +
                                  std::to_string(line - p.index + 1) + " to " +
                                  std::to_string(line - p.index + map_.pieces_of(p.editor_line)) +
                                  ", so its later line numbers differ from an editor's"});
    }

    // The shape of the line as written (check/line_rules.h).
    void on_shape(const line_account &line)
    {
        marker_said_ = false;
        if (cr_only_)
            return; // said once for the whole file
        if (line.kind != line_kind::continuation && line.kind != line_kind::blank &&
            line.kind != line_kind::comment)
            emit(empty_value_);
        const std::optional<finding> f =
            line.kind == line_kind::header ? check_header_rest(line, line_text())
            : may_hold_marker(line)        ? check_block_marker(line, line_text())
                                           : std::nullopt;
        if (!f)
            return;
        marker_said_ = f->id == diag_id::block_marker;
        raw_diagnostic &d = add(f->id, at({f->begin, f->end}), f->message, f->hint);
        if (f->fixable)
            d.fixes.push_back({at({f->fix_begin, f->fix_end}), f->replacement, f->change});
    }

    void written_form(const line_account &line, bool tidy)
    {
        std::vector<finding> found;
        if (!tidy)
            check_written_form(line, line_text(), found);
        if (line.kind == line_kind::continuation && empty_value_ &&
            line.key.key->form == value_form::list) {
            empty_value_->diagnostic.message +=
                ", and the numbers on the indented line below make an entry of their own";
            emit(empty_value_);
        }
        for (finding &f : found) {
            if (f.id != diag_id::empty_value) {
                add(f.id, at({f.begin, f.end}), std::move(f.message), std::move(f.hint));
                continue;
            }
            // Held until the next line tells whether numbers follow it.
            emit(empty_value_);
            empty_value_ =
                hold({f.id, std::move(f.message), std::move(f.hint), at({f.begin, f.end})});
        }
    }

    void close_control()
    {
        control_facts facts;
        facts.index = control_.index;
        facts.header = control_.header;
        for (const place &p : control_.first)
            facts.any_key = facts.any_key || p.reader_line != 0;
        facts.name = control_.first[key_ctrl_name];
        facts.has_name = facts.name.reader_line != 0;
        facts.has_step = control_.first[key_step].reader_line != 0;
        facts.has_code = control_.block_line != 0;
        facts.ctrl_name = record_.controls[control_.index].ctrl_name;
        std::vector<raw_diagnostic> found;
        check_control_keys(facts, control_names_, found);
        for (raw_diagnostic &d : found)
            add(d.id, d.where, std::move(d.message), std::move(d.hint)).notes = std::move(d.notes);
    }

    void on_fault(fault kind)
    {
        // A later piece of a long line is no line of its own in an editor:
        // its fault points at the column where the piece starts.
        place where = whole(line_->reader_line);
        if (piece_.index > 1) {
            std::string_view piece = line_text();
            while (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r'))
                piece.remove_suffix(1);
            where = at({0, piece.size()});
        }
        switch (kind) {
        case fault::none:
        case fault::cannot_open:
        case fault::read_error:
            break;
        case fault::no_separator:
            add(diag_id::no_separator, where,
                "no '=' or ':' before the end of the line or a comment: the line is not read",
                "write 'NAME = value'; a ';' or '//' after white space starts a comment");
            break;
        case fault::unclosed_header:
            add(diag_id::unclosed_header, where,
                "section header without its closing ']': the lines below stay in " +
                    (section_.empty() ? std::string("no section") : as_header(section_)),
                "close the header with ']' (a ';' after white space starts a comment)");
            break;
        case fault::rejected:
            on_rejected(where);
            break;
        case fault::block_cut_off: {
            raw_diagnostic &d =
                add(diag_id::block_cut_off, where,
                    "section header inside a code block: the block's text is lost, and this "
                    "header opens no section, so the lines below stay in " +
                        as_header(section_),
                    names_a_section(line_text())
                        ? "end the block with ======CODE_BLOCK_END====== before the header"
                        : "a code line may not begin with '[' and hold a ']': the reader takes "
                          "it for a header wherever it stands; write it another way");
            d.notes.push_back({whole(block_start_), "the code block starts here"});
            break;
        }
        case fault::block_unterminated: {
            raw_diagnostic &d =
                add(diag_id::block_unterminated, where,
                    "the code block is still open at the end of the file: its text is lost",
                    "end the block with ======CODE_BLOCK_END======");
            d.notes.push_back({whole(block_start_), "the code block starts here"});
            break;
        }
        case fault::block_no_memory:
            add(diag_id::no_memory, where,
                "the code block could not be held in memory: its text is lost");
            break;
        }
    }

    void on_rejected(place where)
    {
        if (line_->refused == reject_reason::too_many_values) {
            if (line_->kind == line_kind::name_value || line_->kind == line_kind::continuation)
                where = at(line_->value);
            // From the first number that is not kept.
            constexpr auto kept = static_cast<std::size_t>(max_list_values);
            if (line_->key.numbers.size() > kept)
                where = at({line_->key.numbers[kept].begin, line_->value.end});
            add(diag_id::too_many_values, where,
                "more than 16 numbers in one list: only the first 16 are kept",
                "split the list over two lines");
            say_more("; faulty: more than 16 numbers, the first 16 kept");
        } else {
            add(diag_id::no_memory, where, "this line could not be stored: out of memory");
            say_more("; faulty: out of memory");
        }
    }

    // ------------------------------------------------ what the line became

    void on_fate(const line_account &line)
    {
        switch (line.fate) {
        case line_fate::none:
            break;
        case line_fate::section:
            on_section(line.section, line.section_code);
            break;
        case line_fate::stored:
            on_applied(line);
            break;
        case line_fate::code:
            on_code();
            break;
        case line_fate::ignored:
            on_ignored(line.cause, line.kind == line_kind::continuation ? line.continues
                                                                        : span_text(line.name));
            break;
        }
    }

    // -------------------------------------------------------------- sections

    void on_section(std::string_view section, std::uint32_t code)
    {
        section_ = section;
        section_code_ = code;
        ignored_lines_ = 0;
        emit(unknown_section_);
        if (code == 0) {
            const std::string header = as_header(section_);
            static const std::vector<std::string> known = names_of(section_codes, true);
            // "[board parameter][dev3]": name the sections it may be short of.
            std::string hint;
            for (const std::string &name : known)
                if (header.size() > 2 && name.size() > header.size() &&
                    name.compare(0, header.size() - 1, header, 0, header.size() - 1) == 0 &&
                    name[header.size() - 1] == ']')
                    hint += (hint.empty() ? "did you mean " : " or ") + name;
            const bool short_of = !hint.empty();
            if (short_of)
                hint += "?";
            else if (const std::string near = nearest_name(header, known); !near.empty())
                hint = "did you mean " + near + "?";
            // Held until the section ends, when its lines are counted.
            unknown_section_ = hold({diag_id::unknown_section,
                                     "unknown section " + header + ": its lines are ignored", hint,
                                     at(header_span_)});
            static const std::vector<std::string> plain = names_of(section_codes, false);
            if (!short_of && header_span_.end - header_span_.begin == section_.size())
                unknown_section_->diagnostic.fixes = section_fix(at(header_span_), section_, plain);
            say("section " + header + ": unknown, its lines are ignored");
            return;
        }
        if (with_accounts_)
            say("section " + as_header(section_) + " (" + hex32(code) + ")");
        if (code == section_control && line_->refused == reject_reason::none) {
            control_ = control_state{};
            control_.active = true;
            control_.index = record_.control_count - 1;
            control_.header = at(header_span_);
            if (with_accounts_)
                say_more(": " + control_name());
        }
    }

    // Ends the current section: what can be judged only when it is over.
    void close_section()
    {
        // The unknown-key warnings of WIDTH and HEIGHT lines carry the fix
        // that joins them, known only now.
        size_join join;
        if (section_code_ == section_camera)
            join = join_size_halves(camera_halves_, record_.camera, map_);
        for (std::size_t i = 0; i < half_warnings_.size(); ++i) {
            if (i == join.diagnostic && !join.fixes.empty())
                half_warnings_[i].diagnostic.fixes = std::move(join.fixes);
            emit(std::move(half_warnings_[i]));
        }
        half_warnings_.clear();
        camera_halves_ = {};
        if (unknown_section_) {
            raw_diagnostic &d = unknown_section_->diagnostic;
            d.message = "unknown section " + as_header(section_) + ": " +
                        (ignored_lines_ == 0 ? std::string("it has no lines")
                         : ignored_lines_ == 1
                             ? std::string("its 1 line is ignored")
                             : "its " + std::to_string(ignored_lines_) + " lines are ignored");
            emit(unknown_section_);
        }
        if (control_.active) {
            check_control_range();
            close_control();
        }
        control_.active = false;
    }

    void check_control_range()
    {
        const control_entry &c = record_.controls[control_.index];
        const place &min = control_.keys[key_min_value];
        const place &max = control_.keys[key_max_value];
        const place &def = control_.keys[key_def];
        const place &step = control_.keys[key_step];
        if (min.reader_line != 0 && max.reader_line != 0 && c.min_value > c.max_value) {
            raw_diagnostic &d = add(diag_id::control_range, min,
                                    control_name() + ".min_value " + std::to_string(c.min_value) +
                                        " is above max_value " + std::to_string(c.max_value));
            d.notes.push_back({max, "max_value is set here"});
        }
        if (def.reader_line != 0 && ((min.reader_line != 0 && c.def < c.min_value) ||
                                     (max.reader_line != 0 && c.def > c.max_value))) {
            add(diag_id::control_range, def,
                control_name() + ".def " + std::to_string(c.def) + " lies outside min_value " +
                    std::to_string(c.min_value) + " to max_value " + std::to_string(c.max_value));
        }
        if (step.reader_line != 0 && c.step <= 0) {
            add(diag_id::control_range, step,
                control_name() + ".step is " + std::to_string(c.step) +
                    ": a step must be 1 or more");
        }
    }

    // ------------------------------------------------------------------ keys

    void on_applied(const line_account &line)
    {
        const key_row &key = *line.key.key;
        note_cut_number(line);
        const bool continuation = line.kind == line_kind::continuation;
        if (continuation && misread_continuation(line))
            return;
        const bool tidy = tidy_value(line, line_text());
        std::vector<finding> found;
        if (!tidy)
            found = check_value(line, line_text());
        if (continuation && !tidy)
            check_continuation_comment(line, line_text(), found);
        for (finding &f : found) {
            raw_diagnostic d{f.id, std::move(f.message), std::move(f.hint), at({f.begin, f.end})};
            if (f.fixable)
                d.fixes.push_back({at({f.fix_begin, f.fix_end}), f.replacement, f.change});
            // A camera key's count is held until its pair ends: an indented
            // line below adds nothing to it, which its words then say.
            if (f.id == diag_id::value_count && !continuation && key.target == key_target::camera)
                pair_counts_.push_back(hold(std::move(d)));
            else
                add(d.id, d.where, std::move(d.message), std::move(d.hint)).fixes =
                    std::move(d.fixes);
        }
        written_form(line, tidy);
        if (!continuation)
            note_duplicate(key);
        if (in_control()) {
            control_.keys[key.code] = name_place();
            if (key.code == key_ctrl_name)
                control_names_.expect(record_.controls[control_.index].ctrl_name);
        }
        if (with_accounts_)
            say((continuation ? "continues " + std::string(key.name) + ": " : std::string()) +
                stored_words(line, record_));
    }

    // An indented line after a key continues it. That is the dialect's way
    // to go on with a list of numbers; anything else is probably a line of
    // its own that was indented by mistake.
    bool misread_continuation(const line_account &line)
    {
        const key_row &key = *line.key.key;
        const std::string_view value = span_text(line.value);
        const bool own_line = looks_like_pair(value) || looks_like_structure(value);
        const bool camera = key.target == key_target::camera;
        if (!own_line && !camera && !holds_one_value(key))
            return false;
        const std::string got = stored_words(line, record_);
        const std::string name = key.name;
        raw_diagnostic &d =
            add(diag_id::continuation, at(line.value),
                "indented line is read as a continuation of " + name + ", so " + got,
                own_line ? "remove the indentation to read it as a line of its own"
                : camera ? "camera keys take no continuation lines: a continuation replaces "
                           "the value of " +
                               name + "; write the whole value on one line"
                         : "a continuation replaces the value of " + name +
                               "; write the whole value on one line");
        d.notes.push_back({{pair_line_, false, pair_span_}, "the line it continues is here"});
        if (own_line && piece_.index == 1)
            d.fixes.push_back(unindent_fix(line.reader_line, line.value.begin, name));
        if (camera)
            ++pair_continuations_;
        say("continues " + name + ": " + got);
        if (in_control())
            control_.keys[key.code] = at(line.value);
        return true;
    }

    void note_duplicate(const key_row &key)
    {
        place *first = nullptr;
        if (key.target == key_target::camera)
            first = &camera_keys_[key.code];
        else if (key.target == key_target::control && in_control())
            first = &control_.first[key.code];
        if (first == nullptr)
            return;
        if (first->reader_line != 0) {
            const std::string owner =
                key.target == key_target::camera ? std::string("camera") : control_name();
            raw_diagnostic &d = add(diag_id::duplicate_key, at(line_->name),
                                    std::string(key.name) + " is given twice for " + owner +
                                        ": this later value wins");
            d.notes.push_back({*first, "first given here"});
        } else {
            *first = at(line_->name);
        }
    }

    void on_code()
    {
        if (with_accounts_)
            say("code block end: " + control_name() + ".code (" + std::to_string(block_lines_) +
                (block_lines_ == 1 ? " line)" : " lines)"));
        if (!in_control())
            return;
        if (control_.block_line != 0) {
            raw_diagnostic &d =
                add(diag_id::block_replaced, whole(block_start_),
                    "second code block in " + control_name() + ": it replaces the first");
            d.notes.push_back({whole(control_.block_line), "the first code block starts here"});
        }
        control_.block_line = block_start_;
    }

    void on_ignored(ignore_cause cause, std::string_view name_view)
    {
        const std::string_view name = name_view;
        const line_kind kind = line_->kind;
        const bool continuation = kind == line_kind::continuation;
        switch (cause) {
        case ignore_cause::unknown_section:
            if (header_line_ == 0) {
                if (kind == line_kind::name_value) {
                    add(diag_id::no_section, at(line_->name),
                        std::string(name) + " stands before any section header and is ignored",
                        "move it below the header of its section");
                } else if (kind == line_kind::block_end) {
                    add(diag_id::block_ignored, whole(block_start_),
                        "code block before any section header: it is ignored");
                }
                if (!continuation)
                    say("ignored: no section yet");
                else if (with_accounts_)
                    say("continues " + std::string(name) + ": ignored, no section yet");
            } else {
                if (!continuation)
                    say(kind == line_kind::block_end ? "code block end: ignored, unknown section"
                                                     : "ignored: unknown section");
                else if (with_accounts_)
                    say("continues " + std::string(name) + ": ignored, unknown section");
            }
            break;
        case ignore_cause::unknown_key:
            if (!continuation)
                say("ignored: unknown key");
            else if (with_accounts_)
                say("continues " + std::string(name) + ": ignored, unknown key");
            if (kind == line_kind::name_value && !marker_said_)
                warn_unknown_key(std::string(name));
            break;
        case ignore_cause::block_outside:
            add(diag_id::block_ignored, whole(block_start_),
                "code block under " + as_header(section_) +
                    " is ignored: only a control section keeps code");
            say("code block end: ignored outside a control section");
            break;
        case ignore_cause::no_entry:
            say("ignored: its control could not be stored");
            break;
        }
    }

    void warn_unknown_key(const std::string &name)
    {
        static const std::vector<std::string> camera = names_of(camera_keys, false);
        static const std::vector<std::string> control = names_of(control_keys, false);
        static const std::vector<std::string> params = names_of(param_keys, false);
        const std::vector<std::string> &own = section_code_ == section_camera    ? camera
                                              : section_code_ == section_control ? control
                                                                                 : params;
        std::string hint;
        const std::string near = nearest_name(name, own);
        const std::vector<std::string> halves = section_code_ == section_camera
                                                    ? nearest_names(name, size_halves())
                                                    : std::vector<std::string>();
        if (lookup_row(camera_keys, name) != nullptr)
            hint = "'" + name + "' is a key of [camera parameter]";
        else if (lookup_row(control_keys, name) != nullptr)
            hint = "'" + name + "' is a key of [control parameter] sections";
        else if (lookup_row(param_keys, name) != nullptr)
            hint = "'" + name + "' is a key of the board and register sections";
        else if (!near.empty())
            hint = "did you mean '" + near + "'?" +
                   (equals_ignoring_case_ascii(near, name) ? " (keys are case-sensitive)" : "");
        // The halves of SIZE: only when no key is near.
        const bool half = hint.empty() && !halves.empty();
        if (half)
            hint = "width and height are set together: SIZE = WIDTH, HEIGHT";
        raw_diagnostic d{diag_id::unknown_key,
                         "unknown key '" + name + "' in " + as_header(section_) +
                             ": the line is ignored",
                         hint, at(line_->name)};
        if (hint.find("did you mean") == 0)
            d.fixes = rename_fix(at(line_->name), name, own, "the line is read as the key ");
        if (!d.fixes.empty())
            if (const key_row *row = own_row(d.fixes[0].replacement); row != nullptr)
                d.fixes[0].change += key_label(*row) == "params[]"
                                         ? ", which adds an entry to params[]"
                                         : ", which sets " + key_label(*row);
        if (!half) {
            add(d.id, d.where, std::move(d.message), std::move(d.hint)).fixes = std::move(d.fixes);
            return;
        }
        // Held until the section ends: it may carry the fix that joins the
        // halves.
        note_size_half(halves);
        half_warnings_.push_back(hold(std::move(d)));
    }

    // The line just warned of as unknown, whose name is near `near` of
    // size_halves(): kept until its camera section ends.
    void note_size_half(const std::vector<std::string> &near)
    {
        std::string_view text = line_text();
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.remove_suffix(1);
        size_half half;
        half.diagnostic = half_warnings_.size();
        half.reader_line = line_->reader_line;
        half.pair = {line_->name.begin, line_->value.end};
        half.text_end = text.size();
        half.value = span_text(line_->value);
        half.bare = text.find_first_not_of(" \t", line_->value.end) == std::string_view::npos;
        half.single_piece = map_.pieces_of(map_.editor_line(line_->reader_line)) == 1;
        const auto names = [&](const std::string &wanted) {
            return std::find(near.begin(), near.end(), wanted) != near.end();
        };
        half.width = names(size_halves()[0]);
        half.height = names(size_halves()[1]);
        camera_halves_.halves.push_back(std::move(half));
    }

    const key_row *own_row(std::string_view name) const
    {
        return section_code_ == section_camera    ? lookup_row(camera_keys, name)
               : section_code_ == section_control ? lookup_row(control_keys, name)
                                                  : lookup_row(param_keys, name);
    }

    static bool equals_ignoring_case_ascii(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) !=
                std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    }

    std::string_view text_;
    const line_map &map_;
    bool with_accounts_;
    bool failed_ = false;
    parsed_config record_{};
    std::vector<raw_diagnostic> diagnostics_;
    std::vector<std::size_t> order_; // of each of diagnostics_, as it was found
    std::size_t found_ = 0;          // the order of the next one
    std::vector<explained_line> accounts_;

    const line_account *line_ = nullptr; // the line being judged
    piece piece_;                        // where it stands in the text
    std::string_view text_now_;          // its text, as the reader read it

    std::string section_;
    std::uint32_t section_code_ = 0;
    std::size_t header_line_ = 0;
    text_span header_span_{};
    std::optional<held_diagnostic> unknown_section_; // of the section being read
    std::size_t ignored_lines_ = 0;

    std::size_t pair_line_ = 0;
    text_span pair_span_{};
    std::size_t block_start_ = 0;
    std::size_t block_lines_ = 0;
    std::size_t split_warned_ = 0;
    std::size_t cut_line_ = 0; // the last piece that ended inside a number
    std::string cut_words_;    // what the record got of that number
    std::array<place, key_slots> camera_keys_{};
    size_section camera_halves_; // of the camera section being read
    control_state control_;
    control_names control_names_;
    bool cr_only_ = false;                       // the file's lines end in CR alone
    bool marker_said_ = false;                   // the line was taken for a code-block marker
    std::optional<held_diagnostic> empty_value_; // an empty-value warning of the line before
    std::vector<held_diagnostic> pair_counts_;   // value-count warnings of the camera pair
    std::size_t pair_continuations_ = 0;         // lines misread as continuing it
    std::vector<held_diagnostic> half_warnings_; // of camera_halves_, in order
};

} // namespace

run_result run_check(std::string_view text, const line_map &map, bool with_accounts)
{
    check_run run(text, map, with_accounts);
    return run.run();
}

} // namespace pexilon::check
