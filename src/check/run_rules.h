// The checker's rules over the line accounts of one run, each reading and
// moving on the shared state (run_state.h). The listener (rule_pass.cpp)
// calls them for each line in this order: track_line, note_split, on_shape,
// on_fate, on_fault; check_line_ends before the parse, and close_section,
// end_pair and the held empty-value warning after it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "check/run_state.h"

namespace pexilon::check {

// run_state.cpp: the header, pair and code block the line leaves the reader in.
void track_line(run_state &s, const line_account &line);

// split_rules.cpp: line-ends, split-line.
void check_line_ends(run_state &s);
void note_split(run_state &s, line_kind kind);
void note_cut_number(run_state &s, const line_account &line);

// key_rules.cpp: the shape of a line (check/line_rules.h) and a stored key.
void on_shape(run_state &s, const line_account &line);
void on_applied(run_state &s, const line_account &line);
// The pair's line is over: its held value-count warnings are whole.
void end_pair(run_state &s);

// unknown_key_rules.cpp
void warn_unknown_key(run_state &s, const std::string &name);

// fate_rules.cpp: what became of the line.
void on_fate(run_state &s, const line_account &line);

// section_rules.cpp: a section opened, and one ended (what can be judged
// only when it is over).
void on_section(run_state &s, std::string_view section, std::uint32_t code);
void close_section(run_state &s);

// control_rules.cpp: a control section once it is over.
void check_control_range(run_state &s);
void close_control(run_state &s);

// fault_rules.cpp: the library's faults.
void on_fault(run_state &s, fault kind);

} // namespace pexilon::check
