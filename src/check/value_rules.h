// Judging a stored value by its account: text after a number, numbers cut
// to their field, lists of the wrong length, texts cut short.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "check/diagnostic_kinds.h"
#include "config/line_accounts.h"

namespace pexilon::check {

struct finding {
    diag_id id;
    std::string message;
    std::size_t begin = 0; // byte range within the line
    std::size_t end = 0;
    std::string hint = {};
    // A certain repair: bytes fix_begin to fix_end become `replacement`.
    bool fixable = false;
    std::size_t fix_begin = 0;
    std::size_t fix_end = 0;
    std::string replacement{};
    std::string change{}; // what the repair does to the record
};

// True for the keys that hold one value (a number or a text), which a
// continuation line replaces.
bool holds_one_value(const key_row &key);

// What the record calls where the key's value goes: "camera.bit_width",
// "step", "camera.width and camera.height".
std::string key_label(const key_row &key);

// Findings about the stored key line `line`, whose text is `text` (the
// line as the reader read it).
std::vector<finding> check_value(const line_account &line, std::string_view text);

// True for numbers written as they mostly are: each item one number its
// field keeps whole, in hex or without a leading zero, the items one comma
// apart, as many as the key takes (one, a pair, or a list). Nothing in
// check_value or check_written_form applies to such a line, and no comment
// can hide in it: the checker passes it by.
bool tidy_value(const line_account &line, std::string_view text);

} // namespace pexilon::check
