// The library's one exported function.
#include "config/parse_config.h"
#include "pexilon/config_parser.h"

extern "C" PEXILON_API int pexilon_parse_config(const char *path, parsed_config *config) noexcept
{
    return pexilon::parse_config_path(path, config).outcome.line;
}
