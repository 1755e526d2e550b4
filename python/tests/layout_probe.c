/*
 * layout_probe: prints the layout of the record as this platform's C compiler
 * lays it out, one line per field and one per structure:
 *
 *   camera_settings.width 56 4      field: offset and size
 *   camera_settings 76 4            structure: size and alignment
 *
 * test_pexilon_config.py compares these lines with the ctypes structures of
 * the pexilon_config package, so a header change that they miss fails there.
 */

#include <stddef.h>
#include <stdio.h>

#include "pexilon/config_check.h"
#include "pexilon/config_parser.h"

#define FIELD(type, field) \
    printf(#type "." #field " %zu %zu\n", offsetof(type, field), sizeof(((type *)0)->field))

/* C99 has no _Alignof: the offset of a member after one char is its alignment. */
#define STRUCT(type)                                                                   \
    do {                                                                               \
        struct align_of_##type {                                                       \
            char c;                                                                    \
            type t;                                                                    \
        };                                                                             \
        printf(#type " %zu %zu\n", sizeof(type), offsetof(struct align_of_##type, t)); \
    } while (0)

int main(void)
{
    FIELD(camera_settings, cfg_mode);
    FIELD(camera_settings, type);
    FIELD(camera_settings, width);
    FIELD(camera_settings, height);
    FIELD(camera_settings, bit_width);
    FIELD(camera_settings, format);
    FIELD(camera_settings, i2c_mode);
    FIELD(camera_settings, i2c_addr);
    FIELD(camera_settings, trans_lvl);
    STRUCT(camera_settings);

    FIELD(param_entry, type);
    FIELD(param_entry, values);
    FIELD(param_entry, value_count);
    STRUCT(param_entry);

    FIELD(control_entry, min_value);
    FIELD(control_entry, max_value);
    FIELD(control_entry, step);
    FIELD(control_entry, def);
    FIELD(control_entry, reserved);
    FIELD(control_entry, ctrl_name);
    FIELD(control_entry, func_name);
    FIELD(control_entry, code);
    STRUCT(control_entry);

    FIELD(parsed_config, camera);
    FIELD(parsed_config, params);
    FIELD(parsed_config, param_count);
    FIELD(parsed_config, controls);
    FIELD(parsed_config, control_count);
    STRUCT(parsed_config);

    FIELD(pexilon_check_note, line);
    FIELD(pexilon_check_note, column);
    FIELD(pexilon_check_note, end_column);
    FIELD(pexilon_check_note, message);
    STRUCT(pexilon_check_note);

    FIELD(pexilon_check_span, column);
    FIELD(pexilon_check_span, end_column);
    STRUCT(pexilon_check_span);

    FIELD(pexilon_check_fix, line);
    FIELD(pexilon_check_fix, column);
    FIELD(pexilon_check_fix, end_column);
    FIELD(pexilon_check_fix, replacement);
    FIELD(pexilon_check_fix, change);
    STRUCT(pexilon_check_fix);

    FIELD(pexilon_check_diagnostic, severity);
    FIELD(pexilon_check_diagnostic, name);
    FIELD(pexilon_check_diagnostic, message);
    FIELD(pexilon_check_diagnostic, hint);
    FIELD(pexilon_check_diagnostic, line);
    FIELD(pexilon_check_diagnostic, column);
    FIELD(pexilon_check_diagnostic, end_column);
    FIELD(pexilon_check_diagnostic, reader_line);
    FIELD(pexilon_check_diagnostic, source);
    FIELD(pexilon_check_diagnostic, source_length);
    FIELD(pexilon_check_diagnostic, notes);
    FIELD(pexilon_check_diagnostic, note_count);
    FIELD(pexilon_check_diagnostic, fixes);
    FIELD(pexilon_check_diagnostic, fix_count);
    FIELD(pexilon_check_diagnostic, display);
    FIELD(pexilon_check_diagnostic, note_display);
    STRUCT(pexilon_check_diagnostic);

    FIELD(pexilon_check_summary, parse_result);
    FIELD(pexilon_check_summary, errors);
    FIELD(pexilon_check_summary, warnings);
    FIELD(pexilon_check_summary, os_error);
    STRUCT(pexilon_check_summary);

    FIELD(pexilon_check_lines, entry_lines);
    FIELD(pexilon_check_lines, entry_count);
    FIELD(pexilon_check_lines, control_lines);
    FIELD(pexilon_check_lines, control_count);
    FIELD(pexilon_check_lines, parse_result);
    FIELD(pexilon_check_lines, os_error);
    STRUCT(pexilon_check_lines);
    return 0;
}
