/*
 * Binary interface of libpexilon_config_parser as a C99 host sees it.
 *
 * Built as C99 with -pedantic -Werror and linked against the shared object.
 * Every field of the four record types is checked for offset, size and
 * signedness against the numbers written out below, so any change of the
 * record in the header fails here and has to be made on purpose (with a new
 * SONAME). The public constants and the function's type are checked as well.
 * Built as C11 too, where the camera fields are also named on the record and
 * must lie exactly where they lie in camera_settings.
 */

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "pexilon/config_parser.h"

static int failures;
static int checks;

/* want_signed / got_signed: 1 signed, 0 unsigned, -1 not an integer field. */
static void check(const char *what, size_t got_off, size_t want_off, size_t got_size,
                  size_t want_size, int got_signed, int want_signed)
{
    ++checks;
    if (got_off != want_off || got_size != want_size || got_signed != want_signed) {
        ++failures;
        printf("FAIL %s: offset %lu size %lu signed %d, expected offset %lu size %lu"
               " signed %d\n",
               what, (unsigned long)got_off, (unsigned long)got_size, got_signed,
               (unsigned long)want_off, (unsigned long)want_size, want_signed);
    }
}

static void check_value(const char *what, long got, long want)
{
    ++checks;
    if (got != want) {
        ++failures;
        printf("FAIL %s: %ld, expected %ld\n", what, got, want);
    }
}

/* Records with every bit set: an integer field then reads as -1 when signed. */
static camera_settings ones_camera;
static param_entry ones_param;
static control_entry ones_control;
static parsed_config ones_config;

#define MEMBER_SIZE(T, f) sizeof(((T *)0)->f)
#define FIELD(T, f, off, size) \
    check(#T "." #f, offsetof(T, f), off, MEMBER_SIZE(T, f), size, -1, -1)
#define INT_FIELD(T, ones, f, off, size, sgn) \
    check(#T "." #f, offsetof(T, f), off, MEMBER_SIZE(T, f), size, !((ones).f > 0), sgn)
/* C99 has no _Alignof: the offset of a member after one char is its alignment. */
#define STRUCT(T, size, align)                                                       \
    do {                                                                             \
        struct align_of_##T {                                                        \
            char c;                                                                  \
            T t;                                                                     \
        };                                                                           \
        check(#T, offsetof(struct align_of_##T, t), align, sizeof(T), size, -1, -1); \
    } while (0)

int main(void)
{
    int (*parse)(const char *, parsed_config *) = pexilon_parse_config;

    memset(&ones_camera, 0xFF, sizeof ones_camera);
    memset(&ones_param, 0xFF, sizeof ones_param);
    memset(&ones_control, 0xFF, sizeof ones_control);
    memset(&ones_config, 0xFF, sizeof ones_config);

    /* STRUCT reports the alignment where other lines report the offset. */
    INT_FIELD(camera_settings, ones_camera, cfg_mode, 0, 4, 0);
    FIELD(camera_settings, type, 4, 50);
    INT_FIELD(camera_settings, ones_camera, width, 56, 4, 0);
    INT_FIELD(camera_settings, ones_camera, height, 60, 4, 0);
    INT_FIELD(camera_settings, ones_camera, bit_width, 64, 1, 0);
    INT_FIELD(camera_settings, ones_camera, format, 66, 2, 0);
    INT_FIELD(camera_settings, ones_camera, i2c_mode, 68, 1, 0);
    INT_FIELD(camera_settings, ones_camera, i2c_addr, 70, 2, 0);
    INT_FIELD(camera_settings, ones_camera, trans_lvl, 72, 4, 0);
    STRUCT(camera_settings, 76, 4);

    INT_FIELD(param_entry, ones_param, type, 0, 4, 0);
    FIELD(param_entry, values, 4, 64);
    INT_FIELD(param_entry, ones_param, values[0], 4, 4, 0);
    INT_FIELD(param_entry, ones_param, value_count, 68, 1, 0);
    STRUCT(param_entry, 72, 4);

    INT_FIELD(control_entry, ones_control, min_value, 0, 8, 1);
    INT_FIELD(control_entry, ones_control, max_value, 8, 8, 1);
    INT_FIELD(control_entry, ones_control, step, 16, 4, 1);
    INT_FIELD(control_entry, ones_control, def, 24, 8, 1);
    INT_FIELD(control_entry, ones_control, reserved, 32, 4, 0);
    FIELD(control_entry, ctrl_name, 36, 128);
    FIELD(control_entry, func_name, 164, 128);
    FIELD(control_entry, code, 296, 8);
    STRUCT(control_entry, 304, 8);

    FIELD(parsed_config, camera, 0, 76);
    FIELD(parsed_config, params, 80, 8);
    INT_FIELD(parsed_config, ones_config, param_count, 88, 4, 0);
    FIELD(parsed_config, controls, 96, 8);
    INT_FIELD(parsed_config, ones_config, control_count, 104, 4, 0);
    STRUCT(parsed_config, 112, 8);

#if defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
    check_value("PEXILON_CAMERA_ON_RECORD", PEXILON_CAMERA_ON_RECORD, 1);
    INT_FIELD(parsed_config, ones_config, cfg_mode, 0, 4, 0);
    FIELD(parsed_config, type, 4, 50);
    INT_FIELD(parsed_config, ones_config, width, 56, 4, 0);
    INT_FIELD(parsed_config, ones_config, height, 60, 4, 0);
    INT_FIELD(parsed_config, ones_config, bit_width, 64, 1, 0);
    INT_FIELD(parsed_config, ones_config, format, 66, 2, 0);
    INT_FIELD(parsed_config, ones_config, i2c_mode, 68, 1, 0);
    INT_FIELD(parsed_config, ones_config, i2c_addr, 70, 2, 0);
    INT_FIELD(parsed_config, ones_config, trans_lvl, 72, 4, 0);
#else
    /* Strict C99 has no anonymous members: the record names camera alone. */
    check_value("PEXILON_CAMERA_ON_RECORD", PEXILON_CAMERA_ON_RECORD, 0);
#endif

    check_value("PEXILON_KIND_CAMERA", PEXILON_KIND_CAMERA, 0x01);
    check_value("PEXILON_KIND_BOARD", PEXILON_KIND_BOARD, 0x02);
    check_value("PEXILON_KIND_REGISTER", PEXILON_KIND_REGISTER, 0x03);
    check_value("PEXILON_KIND_CONTROL", PEXILON_KIND_CONTROL, 0x04);
    check_value("PEXILON_KEY_REG", PEXILON_KEY_REG, 1);
    check_value("PEXILON_KEY_VRCMD", PEXILON_KEY_VRCMD, 2);
    check_value("PEXILON_KEY_DELAY", PEXILON_KEY_DELAY, 3);
    check_value("PARSE_OPEN_FAILED", PARSE_OPEN_FAILED, -1);
    check_value("PEXILON_CONFIG_PARSER_VERSION_MAJOR", PEXILON_CONFIG_PARSER_VERSION_MAJOR, 1);

    /* Through the shared object: a missing file is -1 and leaves the record alone. */
    {
        static const parsed_config zero;
        parsed_config config;
        memset(&config, 0, sizeof config);
        check_value("result for a missing file",
                    parse("/nonexistent/pexilon/abi_c99.conf", &config), -1);
        check_value("record untouched", memcmp(&config, &zero, sizeof config), 0);
    }

    printf("abi C%ld: %d checks, %d failures\n", (long)__STDC_VERSION__ / 100 % 100, checks,
           failures);
    return failures != 0;
}
