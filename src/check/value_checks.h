// Judging a value by what the interpreter stored of it: text after a number,
// numbers cut to their field, lists of the wrong length, texts cut short.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_sink.h"

namespace pexilon::check {

struct finding {
    std::string_view name; // a diagnostic name
    std::string message;
    std::size_t begin = 0; // byte range within the value
    std::size_t end = 0;
};

// What the record calls the field: "camera.bit_width", "controls[].step".
const char *field_label(record_field field);

// True for the fields that hold one value (a number or a text), which a
// continuation line replaces.
bool holds_one_value(record_field field);

// Findings about `value`, the text given to `key`, stored in `field`.
std::vector<finding> check_value(record_field field, std::string_view key, const char *value);

} // namespace pexilon::check
