/* A host written in plain C99 that knows nothing but the public header: it
 * zeroes a record, parses a file, prints a summary and releases the lists.
 * Built as C11 too, where it also reads the camera fields on the record.
 *
 *   c_host FILE   parse FILE; exit 0 when the parse returns 0
 *   c_host        write a known file, parse it and check every value read */
#include <pexilon/config_parser.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char own_file[] = "c_host_self.conf";

static const char own_text[] = "[camera parameter]\n"
                               "TYPE = c-host\n"
                               "SIZE = 1280, 720\n"
                               "I2C_ADDR = 0x36\n"
                               "[register parameter||dev3||inf2]\n"
                               "REG = 0x3000, 0x12\n"
                               "[board parameter]\n"
                               "DELAY = 5\n"
                               "[control parameter]\n"
                               "MIN_VALUE = -4\n"
                               "CTRL_NAME = exposure\n"
                               "======CODE_BLOCK_START======\n"
                               "  write 1\n"
                               "======CODE_BLOCK_END======\n";

static void release(parsed_config *config)
{
    uint32_t i;
    for (i = 0; i < config->control_count; ++i)
        free(config->controls[i].code);
    free(config->controls);
    free(config->params);
    memset(config, 0, sizeof *config);
}

static void summarise(const parsed_config *config)
{
    uint32_t i;
    printf("camera: %.50s %ux%u i2c 0x%x\n", config->camera.type, (unsigned)config->camera.width,
           (unsigned)config->camera.height, (unsigned)config->camera.i2c_addr);
    printf("entries: %u\n", (unsigned)config->param_count);
    for (i = 0; i < config->param_count && i < 8; ++i)
        printf("  0x%08x (%u values)\n", (unsigned)config->params[i].type,
               (unsigned)config->params[i].value_count);
    printf("controls: %u\n", (unsigned)config->control_count);
    for (i = 0; i < config->control_count; ++i)
        printf("  %s [%lld, %lld] code %s\n", config->controls[i].ctrl_name,
               (long long)config->controls[i].min_value, (long long)config->controls[i].max_value,
               config->controls[i].code ? "yes" : "no");
}

/* Every value of own_text as the record must hold it. */
static int check_own(const parsed_config *c)
{
    const param_entry *p = c->params;
    const control_entry *k = c->controls;
    int ok = strcmp(c->camera.type, "c-host") == 0 && c->camera.width == 1280 &&
             c->camera.height == 720 && c->camera.i2c_addr == 0x36 && c->param_count == 2 &&
             c->control_count == 1;
    ok = ok && p[0].type == 0x03040001u && p[0].value_count == 2 && p[0].values[0] == 0x3000 &&
         p[0].values[1] == 0x12 && p[1].type == 0x02000003u && p[1].value_count == 1 &&
         p[1].values[0] == 5;
    ok = ok && k[0].min_value == -4 && strcmp(k[0].ctrl_name, "exposure") == 0 &&
         k[0].func_name[0] == '\0' && k[0].code != NULL && strcmp(k[0].code, "  write 1\n") == 0;
#if defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
    ok = ok && strcmp(c->type, "c-host") == 0 && c->width == 1280 && c->height == 720 &&
         c->i2c_addr == 0x36;
#endif
    return ok;
}

int main(int argc, char **argv)
{
    parsed_config config;
    const char *path = argc > 1 ? argv[1] : own_file;
    int result;
    int ok;

    if (argc == 1) {
        FILE *out = fopen(own_file, "w");
        if (out == NULL || fputs(own_text, out) == EOF || fclose(out) != 0) {
            fprintf(stderr, "c_host: cannot write %s\n", own_file);
            return 2;
        }
    }

    memset(&config, 0, sizeof config);
    result = pexilon_parse_config(path, &config);
    printf("%s: result %d\n", path, result);
    summarise(&config);
    ok = result == 0 && (argc > 1 || check_own(&config));
    if (argc == 1 && !ok)
        fprintf(stderr, "c_host: the record does not hold what %s says\n", own_file);
    release(&config);
    if (argc == 1)
        remove(own_file);
    return ok ? 0 : 1;
}
