// The hover text of a line: what the reader and the interpreter made of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "document_model.h"

namespace pexilon_lsp {

// What line `line` (0-based) of `text` became, in a few words: "section
// [camera parameter]", "sets CTRL_NAME", ""; `model` is `text` as read.
std::string line_account(std::string_view text, const document_model &model, std::size_t line);

} // namespace pexilon_lsp
