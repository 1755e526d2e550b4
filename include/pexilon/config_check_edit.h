/*
 * libpexilon_config_check: editing a configuration text and writing a record
 * as a file. A part of <pexilon/config_check.h>, which includes it inside its
 * extern "C" block; include that header, not this one.
 */
#ifndef PEXILON_CONFIG_CHECK_EDIT_H
#define PEXILON_CONFIG_CHECK_EDIT_H

#ifndef PEXILON_CONFIG_CHECK_H
#error "include <pexilon/config_check.h>, which includes this header"
#endif

/*==============================================================================
 * Editing (since 1.3)
 *
 * A document is a configuration text held with what the reader and the
 * interpreter made of each of its lines, edited as `pexilon-config set`,
 * `insert` and `remove` edit a file: a set changes the bytes of one value
 * and no other (comments, blank lines, the "=" or ":" and its spacing, an
 * inline comment, the line end, a byte-order mark and the style of a
 * hexadecimal number stay); an insert or a removal puts in or takes out
 * whole lines. Every result is read again before it is kept: its record
 * must be the old record with exactly the change made, its faulty lines the
 * old ones. An edit that cannot be made so is refused with the reason and
 * leaves the document as it was. A value set to what the record holds
 * changes no byte.
 *
 * Paths name the record as `pexilon-config json` does: "camera.width" (the
 * first number of SIZE, the second kept), "camera.type",
 * "controls[2].max_value", "controls[Exposure].default" (a control by its
 * CTRL_NAME), "controls[0].code", "entries[3].values". An entry is given as
 * "KEY=NUMBERS", KEY one of REG, DELAY, VRCMD: "REG=0x12,0x0100,0x01".
 *
 * Results of the editing functions: 0 when done; 1 when refused, *message
 * then holding the reason; -1 (*message NULL) when an argument that may not
 * be NULL is NULL (errno EINVAL) or memory ran out (ENOMEM). On 1 and -1
 * the document is as it was.
 *
 * Ownership: a document belongs to the caller, who releases it with
 * pexilon_check_document_free. A *message or *text set to other than NULL
 * is allocated with malloc and belongs to the caller, who releases it with
 * free. `message` may be NULL when the reason is not wanted. The text and
 * the record a document shows are its own: they stay valid until the next
 * edit of it that returns 0, or its free.
 *
 * Threads: distinct documents may be edited at the same time; one document
 * may be read (text, record) and saved from several threads while none
 * edits it (its saves take turns). Nothing is written to any stream.
 *============================================================================*/

/** A configuration text being edited; opaque. */
typedef struct pexilon_check_document pexilon_check_document;

/**
 * A document of `size` bytes of `text` (copied; NUL bytes allowed; NULL
 * reads as the empty text). Any text makes a document, faulty lines and
 * all. Returns NULL, with errno ENOMEM, when memory runs out.
 */
PEXILON_CHECK_API pexilon_check_document *
pexilon_check_document_load(const char *text, size_t size) PEXILON_CHECK_NOEXCEPT;

/**
 * A document of the file at `path`, read whole, which remembers that file
 * and what it read from it: pexilon_check_document_save over that file
 * refuses to write when another program changed it since (see there).
 * Returns NULL when the file cannot be opened or read, with errno that of
 * the failed step, EINVAL for a NULL `path`, ENOMEM when memory runs out.
 * Any file that can be read makes a document, faulty lines and all.
 */
PEXILON_CHECK_API pexilon_check_document *
pexilon_check_document_load_file(const char *path) PEXILON_CHECK_NOEXCEPT;

/** Releases a document; NULL is allowed and does nothing. */
PEXILON_CHECK_API void
pexilon_check_document_free(pexilon_check_document *doc) PEXILON_CHECK_NOEXCEPT;

/**
 * The document's text, NUL-terminated (it may hold NUL bytes of its own),
 * and its size in bytes without the terminator in *size when `size` is not
 * NULL. NULL `doc`: NULL, and *size 0.
 */
PEXILON_CHECK_API const char *pexilon_check_document_text(const pexilon_check_document *doc,
                                                          size_t *size) PEXILON_CHECK_NOEXCEPT;

/** The record the text gives, as pexilon_parse_config fills it: read it,
 * do not change or free it. NULL `doc`: NULL. */
PEXILON_CHECK_API const parsed_config *
pexilon_check_document_record(const pexilon_check_document *doc) PEXILON_CHECK_NOEXCEPT;

/** What pexilon_parse_config returns for the text: 0, or the first faulty
 * line as the reader counts lines (199-byte pieces). NULL `doc`: -1. */
PEXILON_CHECK_API int
pexilon_check_document_parse_result(const pexilon_check_document *doc) PEXILON_CHECK_NOEXCEPT;

/**
 * Sets the field `path` names to `value_size` bytes of `value`, written as a
 * command line writes it: a number in decimal or "0x" hexadecimal, a text,
 * the numbers of an entry joined by commas ("0x12, 0x0100"), a code text.
 * A key the file lacks gets a line at the end of its section (the section
 * added at the end of the file when there is none). Refused: a path that
 * names nothing, a value the field cannot hold (BIT_WIDTH 300, a negative
 * unsigned field, a TYPE over 50 bytes, a name over 127, a line end or NUL
 * byte in a text), an entry of more than 16 numbers, a code line the reader
 * would take for a block marker or a section header, a line that would pass
 * 199 bytes, a result that would read back otherwise.
 */
PEXILON_CHECK_API int pexilon_check_document_set(pexilon_check_document *doc, const char *path,
                                                 const char *value, size_t value_size,
                                                 char **message) PEXILON_CHECK_NOEXCEPT;

/**
 * Puts the entry `entry` in as the new entries[index]: its line goes before
 * the line of entries[index], in that entry's section, or after the last
 * entry (and the lines that continue it) when `index` is the number of
 * entries. The line is written "KEY = 1, 0x2C" with the file's line end.
 * Refused besides as a set is: an index past the number of entries, a file
 * without entries, an entries[index] that continues the line above it.
 */
PEXILON_CHECK_API int pexilon_check_document_insert(pexilon_check_document *doc, size_t index,
                                                    const char *entry,
                                                    char **message) PEXILON_CHECK_NOEXCEPT;

/** As insert, the line after entries[after] and the lines that continue it. */
PEXILON_CHECK_API int pexilon_check_document_insert_after(pexilon_check_document *doc, size_t after,
                                                          const char *entry,
                                                          char **message) PEXILON_CHECK_NOEXCEPT;

/**
 * As insert, the line at the end of the last section `section` names, as
 * json names it ("board parameter||dev2") or as a header writes it
 * ("[board parameter][dev2]"); the section is added at the end of the file
 * when there is none. Refused: a section that is not a board or register
 * section.
 */
PEXILON_CHECK_API int
pexilon_check_document_insert_in_section(pexilon_check_document *doc, const char *section,
                                         const char *entry, char **message) PEXILON_CHECK_NOEXCEPT;

/** A control section whose CTRL_NAME is `name` added at the end of the file. */
PEXILON_CHECK_API int pexilon_check_document_add_control(pexilon_check_document *doc,
                                                         const char *name,
                                                         char **message) PEXILON_CHECK_NOEXCEPT;

/**
 * Removes `item`: "entries[N]" (the entry's line) or "controls[N]" /
 * "controls[CTRL_NAME]" (its section with its code block; comments and blank
 * lines at its end, before the next section, stay). Refused: an item that
 * names nothing, an entry that shares its long line with others.
 */
PEXILON_CHECK_API int pexilon_check_document_remove(pexilon_check_document *doc, const char *item,
                                                    char **message) PEXILON_CHECK_NOEXCEPT;

/**
 * Writes the document's text to the file at `path` so that a reader sees
 * the old file or the new one, never a part of either: to a temporary file
 * beside it (".NAME.pexilon-XXXXXX"), flushed to the disk, given the old
 * file's owner, group, mode and extended attributes (its ACL), and renamed
 * over it (over the file a symbolic link names, which stays a link). A file
 * that does not exist is created with mode 0666 less the umask.
 *
 * A document of pexilon_check_document_load_file saved over the file it
 * was read from (`path` names that file once links are followed, or names
 * the same file) is refused when the file is no longer what was read:
 * another program wrote to it ("it changed since it was read, ..."), put
 * another file in its place, or removed it. Its text would be lost; the
 * file is left as that program made it. This is checked just before the
 * rename. After a save over it, the document remembers what it wrote, and
 * the next save is checked against that. A document of
 * pexilon_check_document_load, and a save to another file, are not
 * checked: to write over a changed file, save a document of the text.
 *
 * Returns 0 when written; 1 when not, *message saying why and errno holding
 * the system's error of the step that failed (0 where none did: not a
 * regular file, more than one hard link, changed since it was read); -1
 * for a NULL `doc` or `path` (EINVAL) or when memory runs out (ENOMEM). On
 * 1 and -1 the old file is as it was and no temporary file is left (unless
 * the process is ended meanwhile: the library handles no signal).
 */
PEXILON_CHECK_API int pexilon_check_document_save(const pexilon_check_document *doc,
                                                  const char *path,
                                                  char **message) PEXILON_CHECK_NOEXCEPT;

/**
 * A new file for `record` in the layout of `pexilon-config fmt`: the camera
 * section with every field, the entries in order (a header wherever the
 * section changes), a section for each control with its code block. The
 * file is read again and its record compared with `record` field by field
 * before it is handed out. Returns 0 with the text (NUL-terminated) in
 * *text and its size in *size (when `size` is not NULL); 1 when no file can
 * express the record, *message saying why (a type no section and key give,
 * more than 16 values, a reserved field not 0, a text with blanks at an end
 * or before ';' or '//', a code text whose last line has no line end or with
 * a line the reader takes for a marker or a header); -1 for a NULL `record`
 * or `text` (EINVAL) or when memory runs out (ENOMEM). *text is NULL unless
 * 0 is returned. The record is only read; its lists may be NULL when their
 * counts are 0.
 */
PEXILON_CHECK_API int pexilon_check_write_record(const parsed_config *record, char **text,
                                                 size_t *size,
                                                 char **message) PEXILON_CHECK_NOEXCEPT;

#endif /* PEXILON_CONFIG_CHECK_EDIT_H */
