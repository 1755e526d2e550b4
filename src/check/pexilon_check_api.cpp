// The exported functions of libpexilon_config_check: the checker behind a C
// boundary. No exception crosses it; memory for a diagnostic lives only for
// its callback.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "check/c_copy.h"
#include "check/checker.h"
#include "check/record_trace.h"
#include "format/formatter.h"
#include "pexilon/config_check.h"
#include "support/record_ops.h"

namespace {

struct c_callback {
    pexilon_check_callback callback;
    void *user;

    bool operator()(const pexilon::check::diagnostic &d) const
    {
        if (callback == nullptr)
            return true;
        std::vector<pexilon_check_note> notes;
        std::vector<pexilon_check_span> note_display;
        notes.reserve(d.notes.size());
        note_display.reserve(d.notes.size());
        for (const pexilon::check::note &n : d.notes) {
            notes.push_back({n.where.line, n.where.column, n.where.end_column, n.message.c_str()});
            note_display.push_back({n.where.display_column, n.where.display_end_column});
        }
        std::vector<pexilon_check_fix> fixes;
        fixes.reserve(d.fixes.size());
        for (const pexilon::check::fix_it &f : d.fixes)
            fixes.push_back({f.where.line, f.where.column, f.where.end_column,
                             f.replacement.c_str(), f.change.c_str()});
        const std::string name(d.name());
        pexilon_check_diagnostic out{};
        out.severity = d.severity;
        out.name = name.c_str();
        out.message = d.message.c_str();
        out.hint = d.hint.empty() ? nullptr : d.hint.c_str();
        out.line = d.where.line;
        out.column = d.where.column;
        out.end_column = d.where.end_column;
        out.reader_line = d.where.reader_line;
        out.source = d.source.data();
        out.source_length = d.source.size();
        out.notes = notes.empty() ? nullptr : notes.data();
        out.note_count = notes.size();
        out.fixes = fixes.empty() ? nullptr : fixes.data();
        out.fix_count = fixes.size();
        out.display = {d.where.display_column, d.where.display_end_column};
        out.note_display = note_display.empty() ? nullptr : note_display.data();
        return callback(user, &out) == 0;
    }
};

template <typename Check>
int checked(pexilon_check_summary *summary, Check check) noexcept
{
    pexilon_check_summary result{};
    int status = -1;
    try {
        const pexilon::check::summary s = check();
        result = {s.parse_result, s.errors, s.warnings, s.os_error};
        status = s.parse_result == -1 ? -1 : static_cast<int>(s.errors + s.warnings);
    } catch (...) {
        // Out of memory, or a callback that threw through us: nothing sound
        // can be said of the input.
        result = {-1, 0, 0, ENOMEM};
        status = -1;
    }
    if (summary != nullptr)
        *summary = result;
    return status;
}

using pexilon::check::c_copy;

// A malloc'd copy of `lines`, or null for none; false when memory ran out.
bool c_lines(const std::vector<std::size_t> &lines, std::size_t *&out) noexcept
{
    out = nullptr;
    if (lines.empty())
        return true;
    out = static_cast<std::size_t *>(std::malloc(lines.size() * sizeof(std::size_t)));
    if (out == nullptr)
        return false;
    std::memcpy(out, lines.data(), lines.size() * sizeof(std::size_t));
    return true;
}

// Hands the trace over to the C caller: 0, or -1 with ENOMEM.
int lines_result(const pexilon::check::record_trace &trace, const pexilon::config_report &report,
                 int os_error, pexilon_check_lines *result) noexcept
{
    *result = {};
    result->parse_result = report.outcome.line;
    result->os_error = os_error;
    if (trace.lost || !c_lines(trace.param_lines, result->entry_lines) ||
        !c_lines(trace.control_lines, result->control_lines)) {
        std::free(result->entry_lines);
        *result = {};
        result->parse_result = report.outcome.line;
        result->os_error = ENOMEM;
        return -1;
    }
    result->entry_count = trace.param_lines.size();
    result->control_count = trace.control_lines.size();
    return 0;
}

pexilon::format::format_options cxx_options(const pexilon_check_format_options *options) noexcept
{
    pexilon::format::format_options out;
    if (options == nullptr)
        return out;
    out.align = options->align != 0;
    switch (options->hex_case) {
    case PEXILON_CHECK_HEX_LOWER:
        out.digits = pexilon::format::hex_case::lower;
        break;
    case PEXILON_CHECK_HEX_KEEP:
        out.digits = pexilon::format::hex_case::keep;
        break;
    case PEXILON_CHECK_HEX_UPPER:
        break;
    }
    return out;
}

} // namespace

extern "C" {

int pexilon_check_path(const char *path, pexilon_check_callback callback, void *user,
                       pexilon_check_summary *summary) noexcept
{
    return checked(summary, [&] {
        return pexilon::check::check_path(path, c_callback{callback, user});
    });
}

int pexilon_check_stream(FILE *stream, pexilon_check_callback callback, void *user,
                         pexilon_check_summary *summary) noexcept
{
    return checked(summary, [&] {
        return pexilon::check::check_stream(stream, c_callback{callback, user});
    });
}

int pexilon_check_text(const char *text, std::size_t size, pexilon_check_callback callback,
                       void *user, pexilon_check_summary *summary) noexcept
{
    return checked(summary, [&] {
        return pexilon::check::check_text(
            std::string_view(text != nullptr ? text : "", text != nullptr ? size : 0),
            c_callback{callback, user});
    });
}

int pexilon_check_format(const char *text, std::size_t size,
                         const pexilon_check_format_options *options,
                         pexilon_check_formatted *result) noexcept
{
    if (result == nullptr)
        return -1;
    *result = {};
    try {
        const pexilon::format::format_result formatted = pexilon::format::format_text(
            std::string_view(text != nullptr ? text : "", text != nullptr ? size : 0),
            cxx_options(options));
        if (formatted.formatted) {
            result->text = c_copy(formatted.text);
            result->size = formatted.text.size();
            if (result->text == nullptr) {
                *result = {};
                return -1;
            }
            return 0;
        }
        result->reason = c_copy(formatted.reason);
        result->line = formatted.line;
        if (result->reason == nullptr) {
            *result = {};
            return -1;
        }
        return 1;
    } catch (...) {
        return -1;
    }
}

int pexilon_check_lines_text(const char *text, std::size_t size,
                             pexilon_check_lines *result) noexcept
{
    if (result == nullptr)
        return -1;
    try {
        pexilon::check::record_trace trace;
        const pexilon::config_report report = pexilon::check::trace_text(
            std::string_view(text != nullptr ? text : "", text != nullptr ? size : 0), trace);
        return lines_result(trace, report, 0, result);
    } catch (...) {
        *result = {};
        result->os_error = ENOMEM;
        return -1;
    }
}

int pexilon_check_lines_path(const char *path, pexilon_check_lines *result) noexcept
{
    if (result == nullptr)
        return -1;
    try {
        const pexilon::input::loaded_input input = pexilon::input::read_path(path);
        if (!input.opened) {
            *result = {};
            result->parse_result = -1;
            result->os_error = input.os_error != 0 ? input.os_error : EIO;
            return -1;
        }
        pexilon::check::record_trace trace;
        struct owned_record {
            parsed_config record{};
            ~owned_record() { pexilon::release_record(record); }
        } owned;
        const pexilon::config_report report =
            pexilon::check::parse_traced(input, &owned.record, trace);
        return lines_result(trace, report, input.os_error, result);
    } catch (...) {
        *result = {};
        result->os_error = ENOMEM;
        return -1;
    }
}

const char *pexilon_check_version(void) noexcept { return PEXILON_CONFIG_CHECK_VERSION_STRING; }

} // extern "C"
