// One input file read into a record of its own, with what the parse reported.
#pragma once

#include <string>

#include "check/record_trace.h"
#include "config/parse_config.h"

namespace pexilon::tool {

// Exit status of the program: the worst of all files.
enum status : int { status_ok = 0, status_faulty = 1, status_failed = 2 };

class loaded_config {
public:
    // Reads the file `name` ("-" for standard input) and parses it into a
    // zeroed record as pexilon_parse_config parses the file.
    explicit loaded_config(std::string name);
    // The same, noting in `trace` the line each part of the record came from
    // (memory that runs out for the trace counts as memory the record lacks).
    loaded_config(std::string name, pexilon::check::record_trace &trace);
    // Frees every code text and both lists that the library allocated.
    ~loaded_config();
    loaded_config(const loaded_config &) = delete;
    loaded_config &operator=(const loaded_config &) = delete;

    const std::string &name() const { return name_; }
    const parsed_config &record() const { return record_; }
    // 0, -1 for a file that cannot be opened, or the first faulty line.
    int result() const { return report_.outcome.line; }
    bool ok() const { return result() == 0 && !trace_lost_; }

    status exit_status() const;
    // Memory ran out: the record lacks what the file holds.
    bool out_of_memory() const;
    // What went wrong in plain words ("" when nothing did).
    std::string error_text() const;
    // The fault as "FILE:LINE: error: REASON" or "FILE: error: REASON", with
    // the line as an editor numbers it.
    std::string fault_line() const;

private:
    bool input_failed() const;

    std::string name_;
    parsed_config record_{};
    pexilon::config_report report_{};
    std::size_t editor_line_ = 0; // of the fault
    bool trace_lost_ = false;     // memory ran out for the lines of the trace
};

} // namespace pexilon::tool
