// textDocument/formatting and textDocument/rangeFormatting: the formatter of
// `pexilon-config fmt`, with its guarantee, as edits of the editor's text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

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
// straight out rather than built as an object per edit and serialized.
std::string format_edits_text(std::string_view text, const nlohmann::json &params);

} // namespace pexilon::lsp
