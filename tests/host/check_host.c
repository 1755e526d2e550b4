/* A C99 host of libpexilon_config_check that knows only its header. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "pexilon/config_check.h"

static int failures = 0;

#define EXPECT(cond)                                                            \
    do {                                                                        \
        if (!(cond)) {                                                          \
            fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                         \
        }                                                                       \
    } while (0)

struct seen {
    int calls;
    int stop_after;
    char names[4][32];
    size_t lines[4];
    size_t note_lines[4];
};

static int remember(void *user, const pexilon_check_diagnostic *d)
{
    struct seen *s = (struct seen *)user;
    if (s->calls < 4) {
        strncpy(s->names[s->calls], d->name, sizeof s->names[0] - 1);
        s->lines[s->calls] = d->line;
        s->note_lines[s->calls] = d->note_count > 0 ? d->notes[0].line : 0;
        /* The source is the editor's line, without its line end. */
        if (d->source != NULL && d->line == 3)
            EXPECT(d->source_length == 4 && memcmp(d->source, "oops", 4) == 0);
        /* An error has the column where the reading went wrong: the name
         * that has no separator. */
        if (d->line == 3)
            EXPECT(d->column == 1 && d->end_column == 5 && d->display.column == 1 &&
                   d->display.end_column == 5);
    }
    ++s->calls;
    return s->stop_after != 0 && s->calls >= s->stop_after;
}

int main(void)
{
    static const char text[] = "[camera parameter]\n"
                               "SIZE = 640, 480\n"
                               "oops\n"
                               "SIZE = 1, 2\n";
    struct seen s;
    pexilon_check_summary summary;

    memset(&s, 0, sizeof s);
    EXPECT(pexilon_check_text(text, sizeof text - 1, remember, &s, &summary) == 2);
    EXPECT(summary.parse_result == 3 && summary.errors == 1 && summary.warnings == 1);
    EXPECT(s.calls == 2);
    EXPECT(strcmp(s.names[0], "no-separator") == 0 && s.lines[0] == 3);
    EXPECT(strcmp(s.names[1], "duplicate-key") == 0 && s.lines[1] == 4);
    EXPECT(s.note_lines[1] == 2);

    /* A callback that returns nonzero stops the check. */
    memset(&s, 0, sizeof s);
    s.stop_after = 1;
    EXPECT(pexilon_check_text(text, sizeof text - 1, remember, &s, &summary) == 1);
    EXPECT(s.calls == 1 && summary.errors == 1 && summary.warnings == 0);

    /* Counting only, and inputs that cannot be read. */
    EXPECT(pexilon_check_text(text, sizeof text - 1, NULL, NULL, NULL) == 2);
    EXPECT(pexilon_check_path(NULL, remember, &s, &summary) == -1);
    EXPECT(summary.parse_result == -1 && summary.os_error == EINVAL);
    EXPECT(pexilon_check_path("/nonexistent/pexilon.conf", NULL, NULL, &summary) == -1);
    EXPECT(summary.os_error == ENOENT);
    EXPECT(pexilon_check_stream(NULL, NULL, NULL, &summary) == -1);
    EXPECT(strcmp(pexilon_check_version(), PEXILON_CONFIG_CHECK_VERSION_STRING) == 0);

    /* Formatting: the text comes back in malloc'd memory, or the reason. */
    {
        static const char messy[] = "[camera parameter]\nSIZE:640,0x1e0  \n";
        static const char tidy[] = "[camera parameter]\nSIZE = 640, 0x1E0\n";
        pexilon_check_format_options options;
        pexilon_check_formatted out;
        memset(&options, 0, sizeof options);
        EXPECT(pexilon_check_format(messy, sizeof messy - 1, NULL, &out) == 0);
        EXPECT(out.text != NULL && out.size == sizeof tidy - 1 && strcmp(out.text, tidy) == 0);
        EXPECT(out.reason == NULL && out.line == 0);
        free(out.text);
        options.hex_case = PEXILON_CHECK_HEX_KEEP;
        EXPECT(pexilon_check_format(messy, sizeof messy - 1, &options, &out) == 0);
        EXPECT(out.text != NULL && strstr(out.text, "0x1e0") != NULL);
        free(out.text);
        EXPECT(pexilon_check_format(messy, sizeof messy - 1, NULL, NULL) == -1);
    }

    /* Editing: a document, a refusal with its reason, the record writer. */
    {
        static const char board[] = "[camera parameter]\nSIZE = 640, 480 ; vga\n";
        pexilon_check_document *doc = pexilon_check_document_load(board, sizeof board - 1);
        char *why = NULL;
        char *text = NULL;
        size_t size = 0;
        EXPECT(doc != NULL);
        EXPECT(pexilon_check_document_set(doc, "camera.height", "0x1E0", 5, &why) == 0);
        EXPECT(why == NULL && pexilon_check_document_record(doc)->camera.height == 480);
        EXPECT(pexilon_check_document_set(doc, "camera.width", "1920", 4, &why) == 0);
        EXPECT(strcmp(pexilon_check_document_text(doc, &size),
                      "[camera parameter]\nSIZE = 1920, 480 ; vga\n") == 0);
        EXPECT(pexilon_check_document_set(doc, "camera.bit_width", "300", 3, &why) == 1);
        EXPECT(why != NULL && strcmp(why, "bit_width holds 0 to 255, not 300") == 0);
        free(why);
        EXPECT(pexilon_check_write_record(pexilon_check_document_record(doc), &text, &size, NULL) ==
               0);
        EXPECT(text != NULL && strstr(text, "SIZE = 1920, 480\n") != NULL);
        free(text);
        pexilon_check_document_free(doc);
    }

    /* Source lines: the editor line of each entry and control, in malloc'd lists. */
    {
        static const char lines[] = "; entries\n"
                                    "[register parameter][dev3][inf3]\n"
                                    "REG = 0x3000, 0x01,\n"
                                    "      0x3001, 0x02\n"
                                    "\n"
                                    "[control parameter]\n"
                                    "CTRL_NAME = Gain\n"
                                    "oops\n";
        pexilon_check_lines out;
        EXPECT(pexilon_check_lines_text(lines, sizeof lines - 1, &out) == 0);
        EXPECT(out.parse_result == 8 && out.os_error == 0);
        EXPECT(out.entry_count == 2 && out.entry_lines != NULL);
        EXPECT(out.entry_lines[0] == 3 && out.entry_lines[1] == 4);
        EXPECT(out.control_count == 1 && out.control_lines != NULL && out.control_lines[0] == 6);
        free(out.entry_lines);
        free(out.control_lines);
        EXPECT(pexilon_check_lines_text("", 0, &out) == 0);
        EXPECT(out.entry_lines == NULL && out.entry_count == 0 && out.control_lines == NULL);
        EXPECT(pexilon_check_lines_text(lines, sizeof lines - 1, NULL) == -1);
        EXPECT(pexilon_check_lines_path("/nonexistent/pexilon.conf", &out) == -1);
        EXPECT(out.parse_result == -1 && out.os_error == ENOENT && out.entry_lines == NULL);
        EXPECT(pexilon_check_lines_path(NULL, &out) == -1 && out.os_error == EINVAL);
    }

    if (failures == 0)
        printf("check library: all expectations met\n");
    return failures == 0 ? 0 : 1;
}
