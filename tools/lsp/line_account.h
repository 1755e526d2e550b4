// The hover text of a line: what the reader and the interpreter made of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon::lsp {

// One reader line's account in a few words: "section [camera parameter]",
// "camera.width = 1440, camera.height = 1080", ...
struct line_words {
    std::size_t line = 0; // its editor line, 0-based
    std::string text;
};

// The accounts of every reader line of `text`, in order.
std::vector<line_words> explain_lines(std::string_view text);

} // namespace pexilon::lsp
