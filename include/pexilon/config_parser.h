/*==============================================================================
 * libpexilon_config_parser - reader of camera module configuration files
 *
 * One function, pexilon_parse_config(), reads a configuration file and fills
 * a caller's parsed_config record. The record is read field by field by hosts
 * written in C, C++ and Python (ctypes), so its field order, widths and
 * alignment are part of the interface and are checked below at compile time.
 *
 * This header compiles as C99 and as C++.
 *============================================================================*/

#ifndef PEXILON_CONFIG_PARSER_H
#define PEXILON_CONFIG_PARSER_H

#include <stddef.h>
#include <stdint.h>

/*==============================================================================
 * Version
 *============================================================================*/

#define PEXILON_CONFIG_PARSER_VERSION_MAJOR 1
#define PEXILON_CONFIG_PARSER_VERSION_MINOR 0
#define PEXILON_CONFIG_PARSER_VERSION_PATCH 0
#define PEXILON_CONFIG_PARSER_VERSION_STRING "1.0.0"

/*==============================================================================
 * Export
 *============================================================================*/

#if defined(PEXILON_CONFIG_PARSER_BUILD) && defined(__GNUC__)
#define PEXILON_API __attribute__((visibility("default")))
#else
#define PEXILON_API
#endif

#ifdef __cplusplus
#define PEXILON_NOEXCEPT noexcept
extern "C" {
#else
#define PEXILON_NOEXCEPT
#endif

/*==============================================================================
 * Record
 *
 * Every structure uses the platform's natural alignment, with no packing.
 * Offsets on Linux x86-64 are given beside each field.
 *============================================================================*/

/** Fixed camera parameters, from the section "camera parameter". */
typedef struct camera_settings {
    uint32_t cfg_mode;  /*  0: CFG_MODE */
    char type[50];      /*  4: TYPE; not terminated when 50 characters long */
    uint32_t width;     /* 56: first number of SIZE */
    uint32_t height;    /* 60: second number of SIZE */
    uint8_t bit_width;  /* 64: BIT_WIDTH */
    uint16_t format;    /* 66: FORMAT, first number high byte, second low */
    uint8_t i2c_mode;   /* 68: I2C_MODE */
    uint16_t i2c_addr;  /* 70: I2C_ADDR */
    uint32_t trans_lvl; /* 72: TRANS_LVL */
} camera_settings;      /* size 76, alignment 4 */

/** One line of a board or register section. */
typedef struct param_entry {
    uint32_t type;       /*  0: section code | key code */
    uint32_t values[16]; /*  4: the numbers of the line, in order */
    uint8_t value_count; /* 68: how many of values are valid (0..16) */
} param_entry;           /* size 72, alignment 4 */

/** One "control parameter" section. */
typedef struct control_entry {
    int64_t min_value;   /*   0: MIN_VALUE */
    int64_t max_value;   /*   8: MAX_VALUE */
    int32_t step;        /*  16: STEP */
    int64_t def;         /*  24: DEF */
    uint32_t reserved;   /*  32: always 0 */
    char ctrl_name[128]; /*  36: CTRL_NAME, always terminated */
    char func_name[128]; /* 164: FUNC_NAME, always terminated */
    char *code;          /* 296: code block text (malloc'd), or NULL */
} control_entry;         /* size 304, alignment 8 */

/*
 * The camera settings sit at the head of the record, and hosts name them
 * either way: cfg.camera.width, or cfg.width as on the record itself. The
 * second spelling needs anonymous structures and unions: C11, GNU C, or C++
 * with the extension every common compiler has. Strict C99 has cfg.camera
 * alone. PEXILON_CAMERA_ON_RECORD tells a host which it got.
 */
#if defined(__cplusplus) && (defined(__GNUC__) || defined(_MSC_VER))
#define PEXILON_CAMERA_ON_RECORD 1
#elif !defined(__cplusplus) && ((defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L) || \
                                (defined(__GNUC__) && !defined(__STRICT_ANSI__)))
#define PEXILON_CAMERA_ON_RECORD 1
#else
#define PEXILON_CAMERA_ON_RECORD 0
#endif

#if PEXILON_CAMERA_ON_RECORD && defined(__GNUC__)
#define PEXILON_EXTENSION __extension__ /* anonymous members under -Wpedantic */
#else
#define PEXILON_EXTENSION
#endif

/** The record filled by pexilon_parse_config(). */
typedef struct parsed_config {
#if PEXILON_CAMERA_ON_RECORD
    PEXILON_EXTENSION union {
        camera_settings camera; /*   0: embedded camera settings */
        PEXILON_EXTENSION struct {
            /* The fields of camera_settings, in the same order and types. */
            uint32_t cfg_mode;
            char type[50];
            uint32_t width;
            uint32_t height;
            uint8_t bit_width;
            uint16_t format;
            uint8_t i2c_mode;
            uint16_t i2c_addr;
            uint32_t trans_lvl;
        };
    };
#else
    camera_settings camera; /*   0: embedded camera settings */
#endif
    param_entry *params;     /*  80: board and register entries, file order */
    uint32_t param_count;    /*  88: valid entries in params */
    control_entry *controls; /*  96: one entry per control section */
    uint32_t control_count;  /* 104: entries in controls */
} parsed_config;             /* size 112, alignment 8 */
#undef PEXILON_EXTENSION

/*==============================================================================
 * Entry type codes
 *
 * param_entry.type = section code | key code. Bits 31..24 are the section
 * kind, bits 23..16 the device/interface variant, bits 15..0 the key.
 *============================================================================*/

#define PEXILON_KIND_CAMERA 0x01u
#define PEXILON_KIND_BOARD 0x02u
#define PEXILON_KIND_REGISTER 0x03u
#define PEXILON_KIND_CONTROL 0x04u

#define PEXILON_KEY_REG 1u
#define PEXILON_KEY_VRCMD 2u
#define PEXILON_KEY_DELAY 3u

/** Result of a file that cannot be opened or read at all. */
#define PARSE_OPEN_FAILED (-1)

/*==============================================================================
 * Parsing
 *============================================================================*/

/**
 * Reads the configuration file at `path` into `config`.
 *
 * Returns 0 when the whole file was read and every line accepted;
 * PARSE_OPEN_FAILED (-1) when the file cannot be opened or read at all (the
 * record is then untouched); otherwise the 1-based number of the first faulty
 * line. Faulty lines do not stop the parse: the rest of the file is still read
 * and applied.
 *
 * Record: zero it before the first call. Camera fields the file does not name
 * keep their values. Entries are appended to params and controls, so a second
 * file can be read into the same record as long as params, param_count,
 * controls and control_count are left as the library left them.
 *
 * What a caller must not do, as the library cannot tell:
 *  - give a param_count larger than the entries params holds, or a params
 *    array with less room than the library left (100 x (param_count / 100 +
 *    1) entries): entries are written into that room without growing it;
 *  - give a control_count larger than the entries controls holds.
 * A count that is not 0 with a null pointer is refused: the lines that would
 * add to that list are rejected, like faulty lines. A list whose count is 0
 * is started afresh with its first entry, whatever its pointer holds: that
 * pointer is neither freed, grown nor written through, and stays the
 * caller's to free.
 *
 * Ownership: params, controls and every controls[i].code are allocated with
 * malloc/realloc and belong to the caller, who releases them with free().
 * params may have room for more entries than param_count; controls holds
 * exactly control_count entries.
 *
 * NULL: a NULL `path` yields PARSE_OPEN_FAILED. A NULL `config` is accepted
 * and refuses every line that produces an event (section headers, names and
 * values, continuations, code blocks), so the result is the first such line
 * or the first faulty one.
 *
 * Memory: when an allocation fails, the entry, control or code text that
 * needed it is left out and its line counts as faulty; the rest of the file
 * is still read, and the record stays consistent. When the 64 KB read block
 * cannot be had, the file is read through a small one instead: slower, with
 * the same result.
 *
 * Signals: an open or read cut short by a signal (EINTR, a handler installed
 * without SA_RESTART) is made again; nothing is lost or reported.
 *
 * Threads: the library keeps no state between calls and uses no process-wide
 * state during one, so calls on different records may run at the same time.
 * A call needs less than 3 KB of the calling thread's stack (about 1.7 KB on
 * x86-64, the C library's calls included), so it runs on a thread with the
 * smallest stack the system allows (PTHREAD_STACK_MIN, 16 KB on Linux).
 * Nothing writes to any stream.
 */
PEXILON_API int pexilon_parse_config(const char *path, parsed_config *config) PEXILON_NOEXCEPT;

#ifdef __cplusplus
} /* extern "C" */
#endif

/*==============================================================================
 * Layout checks (Linux x86-64 and other LP64 platforms)
 *============================================================================*/

#if defined(__LP64__) || defined(_LP64)
#ifdef __cplusplus
#define PEXILON_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define PEXILON_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L) || \
    defined(__GNUC__)
#ifdef __GNUC__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
PEXILON_STATIC_ASSERT(offsetof(camera_settings, cfg_mode) == 0, "cfg_mode");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, type) == 4, "type");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, width) == 56, "width");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, height) == 60, "height");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, bit_width) == 64, "bit_width");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, format) == 66, "format");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, i2c_mode) == 68, "i2c_mode");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, i2c_addr) == 70, "i2c_addr");
PEXILON_STATIC_ASSERT(offsetof(camera_settings, trans_lvl) == 72, "trans_lvl");
PEXILON_STATIC_ASSERT(sizeof(camera_settings) == 76, "camera_settings size");

PEXILON_STATIC_ASSERT(offsetof(param_entry, type) == 0, "param type");
PEXILON_STATIC_ASSERT(offsetof(param_entry, values) == 4, "values");
PEXILON_STATIC_ASSERT(offsetof(param_entry, value_count) == 68, "value_count");
PEXILON_STATIC_ASSERT(sizeof(param_entry) == 72, "param_entry size");

PEXILON_STATIC_ASSERT(offsetof(control_entry, min_value) == 0, "min_value");
PEXILON_STATIC_ASSERT(offsetof(control_entry, max_value) == 8, "max_value");
PEXILON_STATIC_ASSERT(offsetof(control_entry, step) == 16, "step");
PEXILON_STATIC_ASSERT(offsetof(control_entry, def) == 24, "def");
PEXILON_STATIC_ASSERT(offsetof(control_entry, reserved) == 32, "reserved");
PEXILON_STATIC_ASSERT(offsetof(control_entry, ctrl_name) == 36, "ctrl_name");
PEXILON_STATIC_ASSERT(offsetof(control_entry, func_name) == 164, "func_name");
PEXILON_STATIC_ASSERT(offsetof(control_entry, code) == 296, "code");
PEXILON_STATIC_ASSERT(sizeof(control_entry) == 304, "control_entry size");

PEXILON_STATIC_ASSERT(offsetof(parsed_config, camera) == 0, "camera");
PEXILON_STATIC_ASSERT(offsetof(parsed_config, params) == 80, "params");
PEXILON_STATIC_ASSERT(offsetof(parsed_config, param_count) == 88, "param_count");
PEXILON_STATIC_ASSERT(offsetof(parsed_config, controls) == 96, "controls");
PEXILON_STATIC_ASSERT(offsetof(parsed_config, control_count) == 104, "control_count");
PEXILON_STATIC_ASSERT(sizeof(parsed_config) == 112, "parsed_config size");

#if PEXILON_CAMERA_ON_RECORD
/* Both spellings name the same bytes. */
#define PEXILON_SAME_FIELD(f)                                                           \
    PEXILON_STATIC_ASSERT(offsetof(parsed_config, f) == offsetof(camera_settings, f) && \
                              sizeof(((parsed_config *)0)->f) ==                        \
                                  sizeof(((camera_settings *)0)->f),                    \
                          #f " on the record")
PEXILON_SAME_FIELD(cfg_mode);
PEXILON_SAME_FIELD(type);
PEXILON_SAME_FIELD(width);
PEXILON_SAME_FIELD(height);
PEXILON_SAME_FIELD(bit_width);
PEXILON_SAME_FIELD(format);
PEXILON_SAME_FIELD(i2c_mode);
PEXILON_SAME_FIELD(i2c_addr);
PEXILON_SAME_FIELD(trans_lvl);
#undef PEXILON_SAME_FIELD
#endif
#ifdef __GNUC__
#pragma GCC diagnostic pop
#endif
#endif
#undef PEXILON_STATIC_ASSERT
#endif

#endif /* PEXILON_CONFIG_PARSER_H */
