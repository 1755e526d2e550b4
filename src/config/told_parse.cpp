#include "config/told_parse.h"

#include "config/interpreter_events.h"
#include "reader/memory_lines.h"

namespace pexilon {

config_report parse_config_told(const char *data, std::size_t size, parsed_config *config,
                                reader_sink &sink) noexcept
{
    interpreter_state state = begin_interpreting(config);
    interpreter_receiver receiver{state};
    config_report report;
    report.outcome = parse_bytes(data, size, receiver, &sink);
    end_interpreting(state);
    if (report.outcome.kind == fault::rejected)
        report.reason = state.first_reject;
    return report;
}

} // namespace pexilon
