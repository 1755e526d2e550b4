/*
 * dlopen_host: loads libpexilon_config_parser at run time, the way a camera
 * host program that does not link against it would, parses one file and
 * prints a summary of the record.
 *
 *   dlopen_host CONFIG_FILE [LIBRARY]
 *
 * LIBRARY is a path or a name for dlopen(); without it the library is looked
 * up by its SONAME, libpexilon_config_parser.so.1, on the usual search path.
 *
 * Exit status: 0 when the file parsed cleanly, 1 when the parser reported a
 * faulty line or could not open the file, 2 when the library could not be
 * loaded or used.
 */

#define _POSIX_C_SOURCE 200809L

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "pexilon/config_parser.h"

typedef int (*parse_config_fn)(const char *path, parsed_config *config);

/* Releases everything the library handed over with the record. */
static void release_record(parsed_config *config)
{
    uint32_t i;
    for (i = 0; i < config->control_count; ++i)
        free(config->controls[i].code);
    free(config->controls);
    free(config->params);
    memset(config, 0, sizeof *config);
}

int main(int argc, char **argv)
{
    const char *library = "libpexilon_config_parser.so.1";
    void *handle;
    void *symbol;
    parse_config_fn parse;
    parsed_config config;
    char type[sizeof config.camera.type + 1];
    int result;

    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s CONFIG_FILE [LIBRARY]\n", argv[0]);
        return 2;
    }
    if (argc == 3)
        library = argv[2];

    handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == NULL) {
        fprintf(stderr, "cannot load %s: %s\n", library, dlerror());
        return 2;
    }
    symbol = dlsym(handle, "pexilon_parse_config");
    if (symbol == NULL) {
        fprintf(stderr, "no pexilon_parse_config in %s: %s\n", library, dlerror());
        dlclose(handle);
        return 2;
    }
    /* ISO C has no conversion from object to function pointer; copy the bits. */
    memcpy(&parse, &symbol, sizeof parse);

    memset(&config, 0, sizeof config);
    result = parse(argv[1], &config);

    /* type is not terminated when it holds 50 characters. */
    memcpy(type, config.camera.type, sizeof config.camera.type);
    type[sizeof type - 1] = '\0';

    printf("result: %d\n", result);
    printf("camera: %s %ux%u\n", type, (unsigned)config.camera.width,
           (unsigned)config.camera.height);
    printf("entries: %u\n", (unsigned)config.param_count);
    printf("controls: %u\n", (unsigned)config.control_count);

    release_record(&config);
    dlclose(handle);
    return result == 0 ? 0 : 1;
}
