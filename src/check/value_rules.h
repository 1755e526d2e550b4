// Judging a stored value by its account: text after a number, numbers cut
// to their field, lists of the wrong length, texts cut short.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "check/rule_pass.h"
#include "config/line_accounts.h"

namespace pexilon::check {

// True for the keys that hold one value (a number or a text), which a
// continuation line replaces.
bool holds_one_value(const key_row &key);

// What the record calls where the key's value goes: "camera.bit_width",
// "step", "camera.width and camera.height".
std::string key_label(const key_row &key);

// Diagnostics of the stored key line `line`, whose text is `text` (the
// line as the reader read it).
std::vector<diagnostic> check_value(const line_account &line, std::string_view text);

// True for numbers written as they mostly are: each item one number its
// field keeps whole, in hex or without a leading zero, the items one comma
// apart, as many as the key takes (one, a pair, or a list). Nothing in
// check_value or check_written_form applies to such a line, and no comment
// can hide in it: the checker passes it by.
bool value_is_tidy(const line_account &line, std::string_view text);

} // namespace pexilon::check
