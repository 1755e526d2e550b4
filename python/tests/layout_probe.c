/*
 * layout_probe: prints the layout of the record as this platform's C compiler
 * lays it out, one line per field and one per structure:
 *
 *   camera_settings.width 56 4      field: offset and size
 *   camera_settings 76 4            structure: size and alignment
 *
 * test_pexilon_config.py compares these lines with the ctypes mapping in
 * pexilon_config.py, so a header change that the mapping misses fails there.
 */

#include <stddef.h>
#include <stdio.h>

#include "pexilon/config_parser.h"

#define FIELD(type, field) \
    printf(#type "." #field " %zu %zu\n", offsetof(type, field), sizeof(((type *)0)->field))

/* C99 has no _Alignof: the offset of a member after one char is its alignment. */
#define STRUCT(type)                                    \
    do {                                                \
        struct align_of_##type { char c; type t; };     \
        printf(#type " %zu %zu\n", sizeof(type),        \
               offsetof(struct align_of_##type, t));    \
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
    return 0;
}
