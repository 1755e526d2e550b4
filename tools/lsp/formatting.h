// textDocument/formatting and textDocument/rangeFormatting: the formatter of
// `pexilon-config fmt`, with its guarantee, as edits of the editor's text.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "text_lines.h"

namespace pexilon::lsp {

// A text the formatter will not lay out (its record or a fault would move);
// what() says why. The server answers the request with an error.
class format_refused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The TextEdit[] that lays `text` out. `params` are the request's: its
// "options" may carry "pexilon.align" (boolean) and "pexilon.hexCase"
// ("upper", "lower" or "keep"); with a "range", only the changes that touch
// its lines are made, and those are checked again on their own.
nlohmann::json format_edits(std::string_view text, const nlohmann::json &params);

// The same edits as JSON text, byte for byte format_edits(text,
// params).dump(-1, ' ', false, replace): what the server sends, written
// straight out rather than built as an object per edit and serialized. Its
// length is known before any of it is written, so that a message can carry
// it without holding it whole (for a document laid out anew, it is twice
// the document's size). The edits' texts lie in the reply's formatted
// text, so a reply is neither copied nor moved.
class format_reply {
public:
    // Throws format_refused, as format_edits() does.
    format_reply(std::string_view text, const nlohmann::json &params);
    format_reply(const format_reply &) = delete;
    format_reply &operator=(const format_reply &) = delete;

    // Bytes of the JSON text.
    std::size_t size() const noexcept { return size_; }

    // Hands the JSON text to `sink` in pieces, in order. It allocates
    // nothing (the pieces are gathered in a block allocated with the
    // reply, of block_size or the text's size if smaller), so that once a
    // message has begun, it is written whole.
    void write(const std::function<void(std::string_view)> &sink);
    static constexpr std::size_t block_size = std::size_t{64} << 10;

    // The whole JSON text in one string.
    std::string text();

    // An edit placed in the protocol's lines: its range and its new text.
    struct edit {
        position start;
        position end;
        std::string_view text;  // in the formatted text
        std::size_t quoted = 0; // its bytes as a JSON string, quotes included
        // Its index in serialized_ when its bytes are left to the JSON
        // library, or `plain`.
        std::size_t serialized = plain;
        static constexpr std::size_t plain = static_cast<std::size_t>(-1);
    };

private:
    void measure(); // quoted, serialized and size_, once the edits are placed

    std::string formatted_;
    std::vector<edit> edits_;
    std::vector<std::string> serialized_;
    std::size_t size_ = 0;
    std::unique_ptr<char[]> block_;
};

} // namespace pexilon::lsp
