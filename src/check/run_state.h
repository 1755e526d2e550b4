// What the checker's rules share over one run: where the reader stands (the
// line, its section, the pair and the code block it belongs to, the control
// being read) and the diagnostics found so far. The listener (rule_pass.cpp)
// moves it on line by line; each rule reads it and adds what it finds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/control_rules.h"
#include "check/recent_words.h"
#include "check/rule_pass.h"
#include "check/size_pair.h"
#include "config/code_tables.h"
#include "config/line_accounts.h"
#include "reader/line_map.h"

namespace pexilon::check {

// A diagnostic whose words wait on a line still to come, with its place in
// the order found: its rule emits it once it is whole.
struct held_diagnostic {
    std::size_t order;
    diagnostic held;
};

// The diagnostics of a run, each with its place in the order found.
class found_diagnostics {
public:
    diagnostic &add(diagnostic d)
    {
        order_.push_back(next_++);
        found_.push_back(pooled(std::move(d)));
        return found_.back();
    }
    held_diagnostic hold(diagnostic d) { return {next_++, std::move(d)}; }
    // The diagnostics added or emitted so far; `at` finds one by that count
    // as it stood before it came.
    std::size_t size() const { return found_.size(); }
    diagnostic &at(std::size_t index) { return found_[index]; }
    void emit(held_diagnostic &&held)
    {
        order_.push_back(held.order);
        found_.push_back(pooled(std::move(held.held)));
    }
    void emit(std::optional<held_diagnostic> &held)
    {
        if (held)
            emit(std::move(*held));
        held.reset();
    }
    // Every diagnostic, in the order found.
    diagnostic_list in_order();

private:
    // A run of many diagnostics holds each until the end: words met a
    // moment ago are held once.
    diagnostic pooled(diagnostic d)
    {
        words_.share(d.message);
        words_.share(d.hint);
        return d;
    }

    recent_words words_;
    diagnostic_list found_;          // as added and emitted
    std::vector<std::size_t> order_; // the place in the order found of each
    std::size_t next_ = 0;
};

// Places kept by key code: more than any section's table has keys.
constexpr std::size_t key_slots = 16;

struct control_state {
    bool active = false;
    std::size_t index = 0;
    std::array<place, key_slots> keys{};  // by key code: where it was last set
    std::array<place, key_slots> first{}; // by key code: where it was first given
    std::size_t block_line = 0;           // start marker of its code block
    place header;                         // its section header
};

struct run_state {
    run_state(std::string_view all, const line_map &lines) : text(all), map(lines) {}

    std::string_view text;
    const line_map &map;
    parsed_config record{};
    found_diagnostics found;

    const line_account *line = nullptr; // the line being judged
    piece line_piece;                   // where it stands in the text
    std::string_view text_now;          // its text, as the reader read it

    std::string section;
    std::uint32_t section_code = 0;
    std::size_t header_line = 0;
    text_span header_span{};
    std::optional<held_diagnostic> unknown_section; // of the section being read
    std::size_t ignored_lines = 0;

    std::size_t pair_line = 0;
    text_span pair_span{};
    std::size_t block_start = 0;
    std::size_t block_lines = 0;
    std::size_t split_warned = 0;
    std::size_t cut_line = 0; // the last piece that ended inside a number
    std::string cut_words;    // what the record got of that number
    std::array<place, key_slots> camera_given{};
    size_section camera_halves; // of the camera section being read
    control_state control;
    control_names names_given;
    bool cr_only = false;                       // the file's lines end in CR alone
    bool marker_said = false;                   // the line was taken for a code-block marker
    std::optional<held_diagnostic> empty_value; // an empty-value warning of the line before
    std::vector<held_diagnostic> pair_counts;   // value-count warnings of the camera pair
    std::size_t pair_continuations = 0;         // lines misread as continuing it

    diagnostic &add(diag_id id, place where, shared_text message, shared_text hint = {})
    {
        return found.add({id, std::move(message), std::move(hint), where});
    }
    held_diagnostic hold(diagnostic d) { return found.hold(std::move(d)); }
    void emit(held_diagnostic &&held) { found.emit(std::move(held)); }
    void emit(std::optional<held_diagnostic> &held) { found.emit(held); }

    // `d`, drawn by a rule over the line being judged, placed on that line.
    diagnostic judged(diagnostic d) const
    {
        d.where.reader_line = line->reader_line;
        for (fix_it &f : d.fixes)
            f.where.reader_line = line->reader_line;
        return d;
    }

    place whole(std::size_t reader_line) const { return {reader_line, true, {}}; }
    place at(text_span span) const { return {line->reader_line, false, span}; }
    place name_place() const
    {
        return line->kind == line_kind::name_value ? at(line->name) : at(line->value);
    }
    // The line as the reader read it (a piece of at most 199 bytes).
    std::string_view line_text() const { return text_now; }
    std::string_view span_text(text_span span) const
    {
        return line_text().substr(span.begin, span.end - span.begin);
    }
    std::string control_name() const { return "controls[" + std::to_string(control.index) + "]"; }
    bool in_control() const { return section_code == section_control && control.active; }
};

// A section name as it is written: the reader joins bracket groups with "||".
std::string as_header(std::string_view section);

template <typename Row, std::size_t N>
std::vector<std::string> names_of(const Row (&table)[N], bool headers)
{
    std::vector<std::string> names;
    for (const Row &row : rows_of(table))
        names.push_back(headers ? as_header(row.name) : row.name);
    return names;
}

} // namespace pexilon::check
