// Parsing one text through a file and from memory, for tests that check both.
#pragma once

#include <string_view>

#include "config/parse_config.h"
#include "support/test_support.h"

namespace pexilon_test {

enum class via { file, bytes };
inline constexpr via both[] = {via::file, via::bytes};

inline const char *name(via how) { return how == via::file ? "file" : "bytes"; }

// The result of parsing `text` into `config`, from a file through the
// exported function or from memory through the internal entry point.
inline int parse(via how, std::string_view text, parsed_config *config)
{
    if (how == via::file) {
        const temp_file file(text);
        return pexilon_parse_config(file.path(), config);
    }
    return pexilon::parse_config_bytes(text.data(), text.size(), config).outcome.line;
}

} // namespace pexilon_test
