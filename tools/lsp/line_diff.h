// The runs of lines in which one text differs from another, for the edits of
// formatting. Lines are the reader's, each with its "\n".
#pragma once

#include <string_view>
#include <vector>

#include "../diff/sequence_diff.h"

namespace pexilon::lsp {

// The text's lines, each with its "\n".
std::vector<std::string_view> lines_of(std::string_view text);

// The shortest runs of changed lines that turn `a` into `b`, in order.
std::vector<pexilon::tool::change_run> line_diff(const std::vector<std::string_view> &a,
                                                 const std::vector<std::string_view> &b);

} // namespace pexilon::lsp
