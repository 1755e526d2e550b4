/*
 * A C program built against an installed libpexilon_config_parser through
 * pkg-config (see Makefile). Prints the camera settings, every entry and
 * every control of one file.
 */

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <pexilon/config_parser.h>

int main(int argc, char **argv)
{
    parsed_config config;
    uint32_t i;
    int result;

    if (argc != 2) {
        fprintf(stderr, "usage: %s CONFIG_FILE\n", argv[0]);
        return 2;
    }
    memset(&config, 0, sizeof config);
    result = pexilon_parse_config(argv[1], &config);
    printf("result: %d\n", result);
    /* type is not terminated when it holds all 50 characters. */
    printf("camera: %.50s %ux%u\n", config.camera.type, (unsigned)config.camera.width,
           (unsigned)config.camera.height);
    for (i = 0; i < config.param_count; ++i) {
        const param_entry *e = &config.params[i];
        unsigned v;
        printf("entry 0x%08x:", (unsigned)e->type);
        for (v = 0; v < e->value_count && v < 16; ++v)
            printf(" %u", (unsigned)e->values[v]);
        printf("\n");
    }
    for (i = 0; i < config.control_count; ++i) {
        const control_entry *c = &config.controls[i];
        printf("control %s: %lld..%lld step %d default %lld%s\n", c->ctrl_name,
               (long long)c->min_value, (long long)c->max_value, (int)c->step, (long long)c->def,
               c->code ? " with code" : "");
    }

    for (i = 0; i < config.control_count; ++i)
        free(config.controls[i].code);
    free(config.controls);
    free(config.params);
    return result == 0 ? 0 : 1;
}
