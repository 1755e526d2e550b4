/*==============================================================================
 * libpexilon_config_check - C++ interface
 *
 * pexilon::check() runs the checker over a file and returns its diagnostics
 * as values that own their text; pexilon::checker_reason lets a load() or an
 * append() word a faulty line as the checker does, with the editor's line;
 * pexilon::lines_of() tells the editor line of each entry and control:
 *
 *   for (const pexilon::diagnostic &d : pexilon::check("camera.conf").diagnostics)
 *       std::cout << d.line << ':' << d.column << ": " << d.message << '\n';
 *   auto cfg = pexilon::load("camera.conf", pexilon::checker_reason);
 *   std::size_t line = pexilon::lines_of("camera.conf").entries[0];
 *
 * pexilon::document (pexilon/config/document.hpp, included here) edits a
 * file one value or line at a time, and pexilon::dumps writes a record as a
 * new file.
 *
 * Inline over the C functions of pexilon/config_check.h: a host links the
 * check library (pkg-config pexilon_config_check, CMake
 * pexilon::config_check), and the parser library as well when it loads
 * files (pexilon/config.hpp, included here).
 *
 * This header compiles as C++17 and as C++20, with or without exceptions
 * (without them, check(path) is left out and check(path, std::nothrow)
 * remains).
 *============================================================================*/

#ifndef PEXILON_CHECK_HPP
#define PEXILON_CHECK_HPP

#include <pexilon/config.hpp>
#include <pexilon/config/document.hpp>
#include <pexilon/config_check.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pexilon {

/*==============================================================================
 * Diagnostics
 *
 * The C structures of pexilon/config_check.h, copied: every text is a
 * std::string (empty where C has NULL), so a diagnostic lives as long as the
 * caller keeps it. Lines are editor lines, columns 1-based bytes (0 for the
 * whole line), as in the C header. Members the C diagnostic gains are added
 * at the end of these structures and filled in detail::to_diagnostic, so
 * code that names the members keeps compiling.
 *============================================================================*/

/** How serious a diagnostic is. */
enum class severity : int {
    error = PEXILON_CHECK_ERROR,     /* a line the library reports as faulty */
    warning = PEXILON_CHECK_WARNING, /* read, but not as it was probably meant */
    note = PEXILON_CHECK_NOTE,       /* only in notes */
};

/** A related place: the first SIZE for a duplicate, the start of a block. */
struct note {
    std::size_t line = 0;       /* editor line, 0 for none */
    std::size_t column = 0;     /* first column, 0 for the whole line */
    std::size_t end_column = 0; /* column just past the text, 0 with column 0 */
    std::string message;
    std::size_t display_column = 0; /* the columns counted in characters */
    std::size_t display_end_column = 0;
};

/** A certain repair: the bytes from column to end_column of the line become
 * `replacement` ("" deletes them); `change` says what that does to the
 * record. */
struct fix {
    std::size_t line = 0;       /* editor line */
    std::size_t column = 0;     /* first column replaced */
    std::size_t end_column = 0; /* column just past the replaced bytes */
    std::string replacement;
    std::string change;
};

/** One diagnostic. */
struct diagnostic {
    pexilon::severity severity = pexilon::severity::error;
    std::string name;            /* stable name: "unknown-key", "no-separator", ... */
    std::string message;         /* one sentence saying what the record got */
    std::string hint;            /* a suggested fix, or empty */
    std::size_t line = 0;        /* editor line, 0 for the input as a whole */
    std::size_t column = 0;      /* first column, 0 for the whole line */
    std::size_t end_column = 0;  /* column just past the text, 0 with column 0 */
    std::size_t reader_line = 0; /* the line as pexilon_parse_config counts it */
    std::string source;          /* the editor line's text (may hold NUL bytes) */
    std::vector<pexilon::note> notes;
    std::vector<pexilon::fix> fixes; /* made together; empty where no repair is certain */
    /* column and end_column counted in characters, as a caret is placed
     * (a well-formed UTF-8 sequence is one, and so is any other byte) */
    std::size_t display_column = 0;
    std::size_t display_end_column = 0;
};

/** What one check found. */
struct check_report {
    std::vector<pexilon::diagnostic> diagnostics; /* in the order of their lines */
    int parse_result = 0;     /* what pexilon_parse_config() returns for the file */
    std::size_t errors = 0;   /* diagnostics of severity error */
    std::size_t warnings = 0; /* diagnostics of severity warning */
    std::error_code error;    /* check(path, std::nothrow): why it stopped, or empty */
};

namespace detail {

inline std::string text_of(const char *text) { return text != nullptr ? text : ""; }

inline diagnostic to_diagnostic(const pexilon_check_diagnostic &d)
{
    diagnostic out;
    out.severity = static_cast<pexilon::severity>(d.severity);
    out.name = text_of(d.name);
    out.message = text_of(d.message);
    out.hint = text_of(d.hint);
    out.line = d.line;
    out.column = d.column;
    out.end_column = d.end_column;
    out.reader_line = d.reader_line;
    if (d.source != nullptr)
        out.source.assign(d.source, d.source_length);
    out.notes.reserve(d.note_count);
    out.display_column = d.display.column;
    out.display_end_column = d.display.end_column;
    for (std::size_t i = 0; i < d.note_count; ++i)
        out.notes.push_back({d.notes[i].line, d.notes[i].column, d.notes[i].end_column,
                             text_of(d.notes[i].message), d.note_display[i].column,
                             d.note_display[i].end_column});
    out.fixes.reserve(d.fix_count);
    for (std::size_t i = 0; i < d.fix_count; ++i)
        out.fixes.push_back({d.fixes[i].line, d.fixes[i].column, d.fixes[i].end_column,
                             text_of(d.fixes[i].replacement), text_of(d.fixes[i].change)});
    return out;
}

/* The callback's state. Memory may run out while copying; nothing may unwind
 * through the C library, so the copy stops the check and says so. */
struct collector {
    std::vector<diagnostic> *into;
    bool out_of_memory;
};

inline int collect(void *user, const pexilon_check_diagnostic *d) noexcept
{
    collector &c = *static_cast<collector *>(user);
#if PEXILON_CXX_EXCEPTIONS
    try {
        c.into->push_back(to_diagnostic(*d));
    } catch (...) {
        c.out_of_memory = true;
        return 1;
    }
#else
    c.into->push_back(to_diagnostic(*d));
#endif
    return 0;
}

struct reason_finder {
    std::size_t reader_line;
    line_fault *out;
    bool found;
};

inline int find_reason(void *user, const pexilon_check_diagnostic *d) noexcept
{
    reason_finder &f = *static_cast<reason_finder *>(user);
    if (d->severity != PEXILON_CHECK_ERROR || d->reader_line != f.reader_line)
        return 0;
#if PEXILON_CXX_EXCEPTIONS
    try {
        f.out->reason = text_of(d->message);
    } catch (...) {
        return 1; /* no memory for the message: the plain description */
    }
#else
    f.out->reason = text_of(d->message);
#endif
    f.out->line = d->line;
    f.found = true;
    return 1;
}

} // namespace detail

/*==============================================================================
 * Checking
 *============================================================================*/

/**
 * Checks the file at `path` and returns every diagnostic. Never throws:
 * report.error holds the errno (std::generic_category()) when the file
 * cannot be opened or read at all, or std::errc::not_enough_memory when the
 * diagnostics could not all be copied (those before are kept) or the checker
 * itself ran out of memory (the C function's ENOMEM). Built without
 * exceptions, running out of memory ends the program as any allocation does.
 *
 * Ownership: the report owns its copies. NULL: a null `path` gives EINVAL.
 * Threads: checks may run at the same time.
 */
inline check_report check(path_arg path, std::nothrow_t /*tag*/) noexcept
{
    check_report report;
    detail::collector c{&report.diagnostics, false};
    pexilon_check_summary summary{};
    const int found = pexilon_check_path(path.c_str(), &detail::collect, &c, &summary);
    report.parse_result = summary.parse_result;
    report.errors = summary.errors;
    report.warnings = summary.warnings;
    if (found < 0)
        report.error = std::error_code(summary.os_error != 0 ? summary.os_error : EIO,
                                       std::generic_category());
    else if (c.out_of_memory)
        report.error = std::make_error_code(std::errc::not_enough_memory);
    return report;
}

#if PEXILON_CXX_EXCEPTIONS
/**
 * Checks the file at `path`. Throws std::system_error when it cannot be
 * opened or read at all, std::bad_alloc when memory runs out.
 */
inline check_report check(path_arg path)
{
    check_report report = check(path, std::nothrow);
    if (report.error == std::errc::not_enough_memory)
        throw std::bad_alloc();
    if (report.error)
        throw std::system_error(report.error, path.c_str() != nullptr ? path.c_str() : "(null)");
    return report;
}
#endif

/**
 * A fault_describer (pexilon/config.hpp) that words the faulty line as the
 * checker does: the editor line and message of the checker's error at the
 * reader's line, as in pexilon::load("camera.conf", pexilon::checker_reason).
 * The file is checked again for it, so a file changed since the parse may be
 * described otherwise, or not at all (the plain description is used then).
 *
 * NULL: a null `path` finds nothing (false). Threads: any thread may call.
 */
inline bool checker_reason(const char *path, std::size_t reader_line, line_fault &out) noexcept
{
    detail::reason_finder f{reader_line, &out, false};
    pexilon_check_path(path, &detail::find_reason, &f, nullptr);
    return f.found;
}

/*==============================================================================
 * Source lines
 *============================================================================*/

/**
 * The editor line (1-based) that made each entry and control of the record
 * a file gives, as pexilon_check_lines in pexilon/config_check.h: entries[i]
 * for config.entries()[i], controls[i] for config.controls()[i], the line of
 * its "[control parameter]" header. Lines are the file's own: for a config
 * that has had a second file appended, that file's entries stand from the
 * first file's entries().size() on.
 */
struct source_lines {
    std::vector<std::size_t> entries;
    std::vector<std::size_t> controls;
    int parse_result = 0;  /* what pexilon_parse_config() returns for the input */
    std::error_code error; /* the std::nothrow forms: why there are no lines, or empty */
};

namespace detail {

/* The C lists copied and freed; `status` is what the C function returned. */
inline source_lines take_lines(int status, pexilon_check_lines &raw) noexcept
{
    source_lines out;
    out.parse_result = raw.parse_result;
    if (status != 0) {
        out.error =
            std::error_code(raw.os_error != 0 ? raw.os_error : EIO, std::generic_category());
        return out;
    }
#if PEXILON_CXX_EXCEPTIONS
    try {
#endif
        out.entries.assign(raw.entry_lines, raw.entry_lines + raw.entry_count);
        out.controls.assign(raw.control_lines, raw.control_lines + raw.control_count);
#if PEXILON_CXX_EXCEPTIONS
    } catch (...) {
        out.entries.clear();
        out.controls.clear();
        out.error = std::make_error_code(std::errc::not_enough_memory);
    }
#endif
    std::free(raw.entry_lines);
    std::free(raw.control_lines);
    return out;
}

#if PEXILON_CXX_EXCEPTIONS
inline source_lines lines_or_throw(source_lines lines, const char *what)
{
    if (lines.error == std::errc::not_enough_memory)
        throw std::bad_alloc();
    if (lines.error)
        throw std::system_error(lines.error, what != nullptr ? what : "(null)");
    return lines;
}
#endif

} // namespace detail

/**
 * The lines of the file at `path`, read once more. Never throws:
 * lines.error holds the errno when the file cannot be opened or read at all
 * (parse_result is then -1), std::errc::not_enough_memory when memory ran
 * out; the lists are empty then. NULL: a null `path` gives EINVAL.
 * Threads: any thread may call.
 */
inline source_lines lines_of(path_arg path, std::nothrow_t /*tag*/) noexcept
{
    pexilon_check_lines raw{};
    const int status = pexilon_check_lines_path(path.c_str(), &raw);
    return detail::take_lines(status, raw);
}

/** The lines of a text in memory (an editor's buffer, the bytes a host read
 * and parsed), as lines_of(path, std::nothrow) gives those of a file. */
inline source_lines lines_of_text(std::string_view text, std::nothrow_t /*tag*/) noexcept
{
    pexilon_check_lines raw{};
    const int status = pexilon_check_lines_text(text.data(), text.size(), &raw);
    return detail::take_lines(status, raw);
}

#if PEXILON_CXX_EXCEPTIONS
/** As lines_of(path, std::nothrow), but throws std::system_error when the
 * file cannot be opened or read, std::bad_alloc when memory runs out. */
inline source_lines lines_of(path_arg path)
{
    return detail::lines_or_throw(lines_of(path, std::nothrow), path.c_str());
}

/** As lines_of_text(text, std::nothrow), throwing std::bad_alloc when memory
 * runs out. */
inline source_lines lines_of_text(std::string_view text)
{
    return detail::lines_or_throw(lines_of_text(text, std::nothrow), "text");
}
#endif

} // namespace pexilon

#endif /* PEXILON_CHECK_HPP */
