// What the reader and the interpreter made of each line of a configuration
// text, in short words: for `pexilon-config explain` and an editor's hover.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon::check {

// One line as the reader saw it. An editor line longer than 199 bytes is
// read in pieces and has one account per piece.
struct explained_line {
    std::size_t editor_line = 0; // 1-based, newline-terminated lines
    std::size_t reader_line = 0; // 1-based, as pexilon_parse_config counts
    std::size_t piece = 1;       // 1 for the line's first piece, 2 for the next...
    std::string text;            // "comment", "params[12] = REG 0x3000, 0x01", ...
    std::string_view source;     // the editor line (no line end, no byte-order mark)
};

// Accounts of every reader line of `text`, in order. Texts look like:
//   "blank", "comment",
//   "section [register parameter][dev3] (0x03030000)",
//   "params[12] = REG 0x3000, 0x01",
//   "camera.width = 1440, camera.height = 1080",
//   "continues MAX_VALUE: controls[0].max_value = 0",
//   "ignored: unknown key", "ignored: unknown section",
//   "piece 2 of a long line: comment",
//   "code block start for controls[1]", "code block line 3 of controls[1]",
//   "code block end: controls[1].code (3 lines)",
//   "faulty: no separator"
std::vector<explained_line> explain_text(std::string_view text);

} // namespace pexilon::check
