#include "check/record_trace.h"

#include <exception>
#include <new>

#include "reader/line_map.h"
#include "support/record_ops.h"

namespace pexilon::check {

namespace {

class trace_listener final : public account_listener {
public:
    trace_listener(const line_map &map, const parsed_config &record, record_trace &trace)
        : map_(map), record_(record), trace_(trace)
    {
    }

    bool failed() const { return failed_; }

    void account(const line_account &line) noexcept override
    {
        if (failed_)
            return;
        try {
            note(line, map_.editor_line(line.reader_line));
        } catch (const std::bad_alloc &) {
            failed_ = true; // the trace cannot follow; the record goes on
        }
    }

private:
    void note(const line_account &line, std::size_t editor_line)
    {
        if (line.fate == line_fate::section && line.section_code == section_control &&
            record_.control_count > trace_.control_lines.size())
            trace_.control_lines.resize(record_.control_count, editor_line);
        if (line.fate != line_fate::stored)
            return;
        const key_row &key = *line.key.key;
        if (key.target == key_target::entry) {
            if (line.key.index >= trace_.param_lines.size())
                trace_.param_lines.resize(line.key.index + 1, editor_line);
            trace_.param_lines[line.key.index] = editor_line;
        } else if (key.target == key_target::camera) {
            const std::size_t fields = key.form == value_form::pair ? 2 : 1;
            for (std::size_t f = 0; f < fields; ++f)
                trace_.camera_lines[static_cast<std::size_t>(key.member) + f] = editor_line;
        }
    }

    const line_map &map_;
    const parsed_config &record_;
    record_trace &trace_;
    bool failed_ = false;
};

// Hands each account on with its editor line; the first exception stops
// what it is told and is thrown again once the parse is over.
class editor_listener final : public account_listener {
public:
    editor_listener(const line_map &map, const editor_account &each) : map_(map), each_(each) {}

    void account(const line_account &line) noexcept override
    {
        if (error_)
            return;
        try {
            each_(line, {map_.editor_line(line.reader_line), map_.piece_text(line.reader_line)});
        } catch (...) {
            error_ = std::current_exception();
        }
    }

    void rethrow() const
    {
        if (error_)
            std::rethrow_exception(error_);
    }

private:
    const line_map &map_;
    const editor_account &each_;
    std::exception_ptr error_;
};

} // namespace

config_report read_accounts(std::string_view text, parsed_config *record,
                            const editor_account &each)
{
    const line_map map(text);
    editor_listener listener(map, each);
    const config_report report = parse_config_accounted(text.data(), text.size(), record, listener);
    listener.rethrow();
    return report;
}

config_report parse_traced(const input::loaded_input &input, parsed_config *config,
                           record_trace &trace)
{
    const line_map map(input::readable_text(input.bytes, input.read_failed));
    trace_listener listener(map, *config, trace);
    const config_report report = input::parse_loaded(input, config, &listener);
    if (report.outcome.line > 0)
        trace.fault_line = map.editor_line(static_cast<std::size_t>(report.outcome.line));
    trace.lost = listener.failed();
    return report;
}

config_report trace_text(std::string_view text, parsed_config *config, record_trace &trace)
{
    const line_map map(text);
    trace_listener listener(map, *config, trace);
    const config_report report = parse_config_accounted(text.data(), text.size(), config, listener);
    if (report.outcome.line > 0)
        trace.fault_line = map.editor_line(static_cast<std::size_t>(report.outcome.line));
    trace.lost = listener.failed();
    return report;
}

config_report trace_text(std::string_view text, record_trace &trace)
{
    parsed_config record{};
    const config_report report = trace_text(text, &record, trace);
    release_record(record);
    return report;
}

std::size_t editor_line_of(std::string_view text, int line)
{
    return line > 0 ? line_map(text).editor_line(static_cast<std::size_t>(line)) : 0;
}

} // namespace pexilon::check
