/*==============================================================================
 * libpexilon_config_check - diagnostics for camera module configuration files
 *
 * The companion of libpexilon_config_parser. Where pexilon_parse_config()
 * reports only the first faulty line, these functions read the same text with
 * the same reader and interpreter and report every fault, and every place
 * where the file reads differently from how it looks (an unknown key that is
 * ignored, a number cut to its field, an indented line taken as the
 * continuation of the line above), one diagnostic at a time, to a callback.
 * They also lay a text out (pexilon_check_format), edit one value or line of
 * it keeping every other byte (pexilon_check_document_*), and write a record
 * as a new file (pexilon_check_write_record).
 *
 * Every exported name starts with pexilon_check_. The library has its own
 * SONAME (libpexilon_config_check.so.1) and pkg-config file
 * (pexilon_config_check); in CMake it is pexilon::config_check.
 *
 * This header compiles as C99 and as C++.
 *============================================================================*/

#ifndef PEXILON_CONFIG_CHECK_H
#define PEXILON_CONFIG_CHECK_H

#include <stddef.h>
#include <stdio.h>

#include <pexilon/config_parser.h>

/*==============================================================================
 * Version
 *============================================================================*/

#define PEXILON_CONFIG_CHECK_VERSION_MAJOR 1
#define PEXILON_CONFIG_CHECK_VERSION_MINOR 3
#define PEXILON_CONFIG_CHECK_VERSION_PATCH 0
#define PEXILON_CONFIG_CHECK_VERSION_STRING "1.3.0"

/*==============================================================================
 * Export
 *============================================================================*/

#if defined(PEXILON_CONFIG_CHECK_BUILD) && defined(__GNUC__)
#define PEXILON_CHECK_API __attribute__((visibility("default")))
#else
#define PEXILON_CHECK_API
#endif

#ifdef __cplusplus
#define PEXILON_CHECK_NOEXCEPT noexcept
extern "C" {
#else
#define PEXILON_CHECK_NOEXCEPT
#endif

/*==============================================================================
 * Diagnostics
 *
 * Lines are counted as editors count them: newline-terminated lines, however
 * the reader cut an over-long line into pieces of 199 bytes. Columns are
 * 1-based byte offsets into that line (a tab counts as one column); a
 * diagnostic that concerns a whole line, or no text at all, has column 0.
 *============================================================================*/

/** How serious a diagnostic is. */
typedef enum pexilon_check_severity {
    PEXILON_CHECK_ERROR = 0,   /* a line the library reports as faulty */
    PEXILON_CHECK_WARNING = 1, /* read, but not as it was probably meant */
    PEXILON_CHECK_NOTE = 2     /* only in notes: a related place */
} pexilon_check_severity;

/** A related place: the first SIZE for a duplicate, the start of a block. */
typedef struct pexilon_check_note {
    size_t line;         /* 1-based editor line, 0 for none */
    size_t column;       /* 1-based first column, 0 for the whole line */
    size_t end_column;   /* 1-based column just past the text, 0 with column 0 */
    const char *message; /* one sentence, terminated */
} pexilon_check_note;

/**
 * A repair that is certain (since 1.1): on editor line `line`, the bytes from
 * `column` up to `end_column` (equal to insert) become `replacement`. The
 * fixes of one diagnostic are made together; `change` says, in diff's words,
 * what they do to the record.
 */
typedef struct pexilon_check_fix {
    size_t line;
    size_t column;           /* 1-based */
    size_t end_column;       /* 1-based, just past the replaced bytes */
    const char *replacement; /* terminated; "" to delete */
    const char *change;      /* one sentence, terminated */
} pexilon_check_fix;

/**
 * Columns counted in characters (since 1.2), as people see a line and as a
 * caret is placed under it: a well-formed UTF-8 sequence is one character,
 * and so is every other byte. A byte inside a character names that
 * character. 0 means no column, as above.
 */
typedef struct pexilon_check_span {
    size_t column;
    size_t end_column;
} pexilon_check_span;

/** One diagnostic. Every pointer lives only for the duration of the callback. */
typedef struct pexilon_check_diagnostic {
    pexilon_check_severity severity;
    const char *name;     /* stable name: "unknown-key", "no-separator", ... */
    const char *message;  /* one sentence saying what the record got */
    const char *hint;     /* a suggested fix ("did you mean 'WIDTH'?"), or NULL */
    size_t line;          /* 1-based editor line, 0 for the input as a whole */
    size_t column;        /* 1-based first column, 0 for the whole line */
    size_t end_column;    /* 1-based column just past the text, 0 with column 0 */
    size_t reader_line;   /* the line as pexilon_parse_config counts it (pieces) */
    const char *source;   /* the editor line's text without its newline, or NULL */
    size_t source_length; /* bytes in source (it may hold NUL bytes) */
    const pexilon_check_note *notes;
    size_t note_count;
    /* Since 1.1, and only at the end, so that a host built for 1.0 reads the
     * fields it knows where they were. */
    const pexilon_check_fix *fixes; /* NULL when fix_count is 0 */
    size_t fix_count;
    /* Since 1.2: column and end_column counted in characters, and those of
     * each note (note_display[i] for notes[i]; NULL when note_count is 0). */
    pexilon_check_span display;
    const pexilon_check_span *note_display;
} pexilon_check_diagnostic;

/**
 * Receives each diagnostic, in the order of the lines they concern. Returns 0
 * to go on, nonzero to stop the check early (the summary then counts what was
 * reported so far).
 */
typedef int (*pexilon_check_callback)(void *user, const pexilon_check_diagnostic *diagnostic);

/** What one check found. */
typedef struct pexilon_check_summary {
    int parse_result; /* what pexilon_parse_config() returns for this input */
    size_t errors;    /* diagnostics of severity error */
    size_t warnings;  /* diagnostics of severity warning */
    int os_error;     /* errno behind a read error or PARSE_OPEN_FAILED, else 0 */
} pexilon_check_summary;

/*==============================================================================
 * Checking
 *
 * Each function reads the whole input, hands every diagnostic to `callback`
 * (which may be NULL to count only) and fills `*summary` when it is not NULL.
 * It returns the number of errors plus warnings reported, or -1 when the input
 * cannot be opened or read at all (summary->parse_result is then -1 and
 * summary->os_error tells why; nothing reaches the callback).
 *
 * Ownership: no memory is handed to the caller; every pointer in a diagnostic
 * is valid only during the callback that receives it.
 *
 * Threads: no state is kept between calls and none is shared during one, so
 * checks may run at the same time on different inputs. The callback is called
 * on the caller's thread. Nothing is written to any stream.
 *============================================================================*/

/** Checks the file at `path` (NULL yields -1 with EINVAL). */
PEXILON_CHECK_API int pexilon_check_path(const char *path, pexilon_check_callback callback,
                                         void *user,
                                         pexilon_check_summary *summary) PEXILON_CHECK_NOEXCEPT;

/** Checks an open stream, standard input for instance, to its end. */
PEXILON_CHECK_API int pexilon_check_stream(FILE *stream, pexilon_check_callback callback,
                                           void *user,
                                           pexilon_check_summary *summary) PEXILON_CHECK_NOEXCEPT;

/** Checks `size` bytes of text in memory (an editor's buffer); NUL bytes allowed. */
PEXILON_CHECK_API int pexilon_check_text(const char *text, size_t size,
                                         pexilon_check_callback callback, void *user,
                                         pexilon_check_summary *summary) PEXILON_CHECK_NOEXCEPT;

/*==============================================================================
 * Formatting
 *
 * pexilon_check_format lays a configuration text out in the canonical layout
 * of `pexilon-config fmt`: headers flush left with one blank line before
 * each section, "NAME = value" with ", " between numbers, continuation lines
 * indented by four blanks, no white space at the ends of lines (a ":" used
 * throughout a section, hand-aligned columns and continuation lines under
 * their value's first item stay). Code blocks,
 * faulty lines and lines over 199 bytes are left as they are, and so is a
 * text whose lines end in CR alone (read as one line); line ends and a
 * byte-order mark are kept. The new text is read again before it is
 * handed out: when its record, its parse result or any fault's line would
 * differ from the old text's, the text is refused instead.
 *
 * Ownership: result->text and result->reason are allocated with malloc and
 * belong to the caller, who releases them with free.
 *
 * Threads: as the checking functions; nothing is written to any stream.
 *============================================================================*/

/** Case of the digits of hexadecimal numbers ("0x" is always lower case). */
typedef enum pexilon_check_hex_case {
    PEXILON_CHECK_HEX_UPPER = 0, /* 0x1A (the default) */
    PEXILON_CHECK_HEX_LOWER = 1, /* 0x1a */
    PEXILON_CHECK_HEX_KEEP = 2   /* as written */
} pexilon_check_hex_case;

/** Choices of the layout; a zeroed structure gives the default layout. */
typedef struct pexilon_check_format_options {
    int align;                       /* nonzero: line up the "=" of a section's lines */
    pexilon_check_hex_case hex_case; /* case of hexadecimal digits */
} pexilon_check_format_options;

/** What pexilon_check_format made of a text. */
typedef struct pexilon_check_formatted {
    char *text;   /* the formatted text, NUL-terminated, or NULL when refused */
    size_t size;  /* bytes in text, without the terminator */
    char *reason; /* refused: the first difference, one sentence; else NULL */
    size_t line;  /* refused: the editor line concerned, or 0 */
} pexilon_check_formatted;

/**
 * Formats `size` bytes of `text` (NUL bytes allowed) with `options` (NULL for
 * the defaults) into `*result`. Returns 0 when formatted, 1 when refused
 * (result->reason says why), -1 when `result` is NULL or memory ran out
 * (result, if any, is then zeroed).
 */
PEXILON_CHECK_API int pexilon_check_format(const char *text, size_t size,
                                           const pexilon_check_format_options *options,
                                           pexilon_check_formatted *result) PEXILON_CHECK_NOEXCEPT;

/* Editing a document and writing a record as a file (since 1.3). */
#include <pexilon/config_check_edit.h>

/*==============================================================================
 * Source lines (since 1.3)
 *
 * The editor line (1-based, as diagnostics number lines) that made each entry
 * and each control of the record pexilon_parse_config() fills from the same
 * bytes into a zeroed record: entry_lines[i] is the line of params[i] (for a
 * list continued on an indented line, the entry that line made has that
 * line), control_lines[i] the line of the "[control parameter]" header that
 * opened controls[i]. These are the lines `pexilon-config explain` shows as
 * "params[i] = ..." and "controls[i]". A record that has had a second file
 * read into it holds that file's entries from the first file's param_count
 * on, and its controls likewise.
 *
 * Ownership: entry_lines and control_lines are allocated with malloc and
 * belong to the caller, who releases them with free (NULL when the count is
 * 0). Threads: as the checking functions; nothing is written to any stream.
 *============================================================================*/

/** The lines of one input's entries and controls. */
typedef struct pexilon_check_lines {
    size_t *entry_lines;   /* entry_count lines, for params[0..entry_count) */
    size_t entry_count;    /* the param_count the input gives */
    size_t *control_lines; /* control_count lines, for controls[0..control_count) */
    size_t control_count;  /* the control_count the input gives */
    int parse_result;      /* what pexilon_parse_config() returns for this input */
    int os_error;          /* errno behind a read error or -1, ENOMEM, else 0 */
} pexilon_check_lines;

/**
 * Fills `*result` with the lines of `size` bytes of `text` (NUL bytes
 * allowed). Returns 0; -1 when `result` is NULL or memory ran out (result,
 * if any, then holds no lists and os_error ENOMEM).
 */
PEXILON_CHECK_API int pexilon_check_lines_text(const char *text, size_t size,
                                               pexilon_check_lines *result) PEXILON_CHECK_NOEXCEPT;

/**
 * The same for the file at `path`, read once. Returns -1 as well when the
 * file cannot be opened or read at all (parse_result -1, os_error the errno;
 * NULL `path` gives EINVAL).
 */
PEXILON_CHECK_API int pexilon_check_lines_path(const char *path,
                                               pexilon_check_lines *result) PEXILON_CHECK_NOEXCEPT;

/** The release version of this library, "1.3.0". */
PEXILON_CHECK_API const char *pexilon_check_version(void) PEXILON_CHECK_NOEXCEPT;

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* PEXILON_CONFIG_CHECK_H */
