#include "config/parse_config.h"

#include "config/interpreter_events.h"
#include "reader/memory_lines.h"
#include "reader/stream_lines.h"

namespace pexilon {

namespace {

template <typename Parse>
config_report parse_into(parsed_config *config, Parse parse) noexcept
{
    interpreter_state state = begin_interpreting(config);
    interpreter_receiver receiver{state};
    config_report report;
    report.outcome = parse(receiver);
    end_interpreting(state);
    // The reader's mark for an input it could not open is the library's
    // result for it.
    if (report.outcome.kind == fault::cannot_open)
        report.outcome.line = PARSE_OPEN_FAILED;
    if (report.outcome.kind == fault::rejected)
        report.reason = state.first_reject;
    return report;
}

} // namespace

config_report parse_config_path(const char *path, parsed_config *config) noexcept
{
    return parse_into(
        config, [path](interpreter_receiver &receiver) { return parse_path(path, receiver); });
}

config_report parse_config_stream(std::FILE *stream, parsed_config *config) noexcept
{
    return parse_into(config, [stream](interpreter_receiver &receiver) {
        return parse_stream(stream, receiver);
    });
}

config_report parse_config_bytes(const char *data, std::size_t size, parsed_config *config) noexcept
{
    return parse_into(config, [data, size](interpreter_receiver &receiver) {
        return parse_bytes(data, size, receiver);
    });
}

const char *describe_fault(const config_report &report) noexcept
{
    switch (report.outcome.kind) {
    case fault::none:
        return "";
    case fault::no_separator:
        return "no \"=\" or \":\" between name and value before the end of the line or a comment";
    case fault::unclosed_header:
        return "section header without its closing \"]\"";
    case fault::block_cut_off:
        return "code block cut off by a section header";
    case fault::block_unterminated:
        return "code block not closed before the end of the file";
    case fault::block_no_memory:
        return "code block too large to hold in memory";
    case fault::read_error:
        return "the file could not be read past this point";
    case fault::cannot_open:
        return "cannot open";
    case fault::rejected:
        break;
    }
    switch (report.reason) {
    case reject_reason::no_record:
        return "no record to fill";
    case reject_reason::too_many_values:
        return "more than 16 numbers in a list";
    case reject_reason::no_memory:
        return "out of memory while storing this line";
    case reject_reason::inconsistent_record:
        return "the record's list pointer and count disagree";
    case reject_reason::none:
        break;
    }
    return "line rejected";
}

} // namespace pexilon
