// The value a path names, as `get` prints it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pexilon/config_parser.h"

namespace pexilon::edit {

struct path_value {
    enum class form : unsigned char { number, text, numbers, none } shape = form::none;
    std::int64_t number = 0;
    std::string text;
    std::vector<std::int64_t> numbers;
};

// The value at `path` in `record`; nothing with the reason in `error`.
std::optional<path_value> value_at(const parsed_config &record, std::string_view path,
                                   std::string &error);

} // namespace pexilon::edit
