// Where each line of the reader stands in the text as an editor shows it:
// the one map from the reader's line numbers to editor lines that every
// command uses. The reader takes a line in pieces of at most 199 bytes and
// counts every piece as a line; editors count newline-terminated lines.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "reader/line_parser.h"

namespace pexilon {

// The longest piece the reader takes of a line.
inline constexpr std::size_t piece_limit = line_buffer_size - 1;

struct piece {
    std::size_t begin = 0;       // byte offset of the piece in the text
    std::size_t editor_line = 0; // 1-based
    std::size_t column = 0;      // 0-based byte offset of the piece in its editor line
    std::size_t index = 1;       // 1 for the first piece of an editor line
};

// Kept compact: the low 32 bits of the offset of each editor line (with the
// lines where each further 4 GiB of text begins), and a note for each line
// read in more than one piece (few, in any file people write), so that a
// large file costs four bytes a line.
class line_map {
public:
    explicit line_map(std::string_view text);

    // Reader line n (1 to reader_lines()) as a piece of the text.
    piece piece_at(std::size_t reader_line) const;
    std::size_t reader_lines() const { return reader_lines_; }

    // The editor line of reader line n; lines past the end map to the line
    // after the text.
    std::size_t editor_line(std::size_t reader_line) const;
    // 1-based editor column of byte `offset` of reader line n (0 stays 0 for
    // "the whole line" when whole is true).
    std::size_t column(std::size_t reader_line, std::size_t offset) const;
    // The editor line's text without its line end (and without the
    // byte-order mark on line 1).
    std::string_view line_text(std::size_t editor_line) const;
    std::size_t editor_lines() const { return line_starts_.size(); }
    // Reader line n as the reader read it: its piece of the text, the line
    // end included.
    std::string_view piece_text(std::size_t reader_line) const;
    // The text of `p`, a piece piece_at gave.
    std::string_view piece_text(const piece &p) const;
    // Pieces of editor line `editor_line`.
    std::size_t pieces_of(std::size_t editor_line) const;

private:
    // An editor line read in more than one piece.
    struct long_line {
        std::size_t editor_line;
        std::size_t first_piece; // its first reader line
        std::size_t pieces;
    };
    // The long line that reader line n is in or follows, or null.
    const long_line *long_line_before(std::size_t reader_line) const;
    // The offset of editor line index + 1.
    std::size_t line_start(std::size_t index) const
    {
        std::size_t high = 0;
        if (!wraps_.empty()) [[unlikely]]
            high = static_cast<std::size_t>(std::upper_bound(wraps_.begin(), wraps_.end(), index) -
                                            wraps_.begin());
#ifdef __EMSCRIPTEN__
        // wasm32: a text cannot reach 4 GiB, so high is always 0, and a
        // 32-bit size_t cannot be shifted by 32.
        return high | line_starts_[index];
#else
        return (high << 32) | line_starts_[index];
#endif
    }

    std::string_view text_;
    std::vector<std::uint32_t> line_starts_;
    // The index of the first line past each 4 GiB of text, once per 4 GiB.
    std::vector<std::size_t> wraps_;
    std::vector<long_line> long_lines_; // in order
    std::size_t reader_lines_ = 0;
    std::size_t bom_ = 0;
};

} // namespace pexilon
