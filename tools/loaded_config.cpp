// Reading one file into a record and describing the outcome.
#include "loaded_config.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "shown_name.h"
#include "support/record_ops.h"

namespace pexilon::tool {

namespace {

pexilon::input::loaded_input read_input(const std::string &name)
{
    return name == "-" ? pexilon::input::read_stream(stdin)
                       : pexilon::input::read_path(name.c_str());
}

} // namespace

loaded_config::loaded_config(std::string name) : name_(std::move(name))
{
    const pexilon::input::loaded_input input = read_input(name_);
    report_ = pexilon::input::parse_loaded(input, &record_);
    if (report_.outcome.line > 0)
        editor_line_ = pexilon::check::editor_line_of(
            pexilon::input::readable_text(input.bytes, input.read_failed), report_.outcome.line);
}

loaded_config::loaded_config(std::string name, pexilon::check::record_trace &trace)
    : name_(std::move(name))
{
    report_ = pexilon::check::parse_traced(read_input(name_), &record_, trace);
    editor_line_ = trace.fault_line;
    trace_lost_ = trace.lost;
}

loaded_config::~loaded_config() { pexilon::release_record(record_); }

// The input itself failed, as opposed to a faulty line in it. A read error
// after an earlier faulty line still counts: part of the file went unread.
bool loaded_config::input_failed() const
{
    const pexilon::fault kind = report_.outcome.kind;
    return result() < 0 || kind == pexilon::fault::cannot_open ||
           kind == pexilon::fault::read_error || report_.outcome.os_error != 0 || out_of_memory();
}

// Memory ran out: the record lacks what the file holds, as after a read error.
bool loaded_config::out_of_memory() const
{
    return report_.outcome.kind == pexilon::fault::block_no_memory ||
           report_.reason == pexilon::reject_reason::no_memory || trace_lost_;
}

status loaded_config::exit_status() const
{
    if (ok())
        return status_ok;
    return input_failed() ? status_failed : status_faulty;
}

std::string loaded_config::error_text() const
{
    if (ok())
        return {};
    if (result() == 0)
        return "out of memory while noting the line of each entry";
    const int os_error = report_.outcome.os_error;
    if (result() < 0 || report_.outcome.kind == pexilon::fault::cannot_open)
        return std::string("cannot open: ") +
               (os_error != 0 ? std::strerror(os_error) : pexilon::describe_fault(report_));
    std::string text = pexilon::describe_fault(report_);
    if (report_.outcome.kind == pexilon::fault::read_error && os_error != 0)
        text += std::string(": ") + std::strerror(os_error);
    return text;
}

std::string loaded_config::fault_line() const
{
    if (ok())
        return {};
    if (result() <= 0)
        return shown_name(name_) + ": error: " + error_text();
    return shown_name(name_) + ":" + std::to_string(editor_line_) + ": error: " + error_text();
}

} // namespace pexilon::tool
