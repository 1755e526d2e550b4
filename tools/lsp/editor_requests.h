// The answers to an editor's requests about one document. Each takes the
// document's text as the editor last sent it and returns the JSON result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "text_lines.h"

namespace pexilon::lsp {

class served_document;

// {"line": .., "character": ..} and {"start": .., "end": ..}.
nlohmann::json position_json(std::size_t line, std::size_t character);
nlohmann::json range_json(std::size_t line, std::size_t start, std::size_t end_line,
                          std::size_t end);

// The range of a whole line, without its line end.
nlohmann::json line_range(const text_lines &lines, std::size_t line);

// The range of a whole reader line (0-based), which a lone "\r" may have
// cut into several protocol lines.
nlohmann::json reader_line_range(const text_lines &lines, std::size_t reader_line);

// The most diagnostics published for one document; past it one more says
// how many are not shown. Each message and note is cut to max_message_bytes.
// A document's diagnostics thus take a bounded few megabytes, however many
// faults it holds.
inline constexpr std::size_t max_published = 1000;
inline constexpr std::size_t max_message_bytes = 1024;

// The params of textDocument/publishDiagnostics for `text`. With
// `related_information` (the client said it takes it) hints and notes are
// related information at their places, else lines of the message.
nlohmann::json diagnostics(const std::string &uri, std::string_view text, bool related_information);

// The document a workspace edit changes: with `versioned` (the client said
// it takes documentChanges) the edit names the version it was made for, so
// that an editor whose text has moved on since refuses it instead of cutting
// what was typed meanwhile; otherwise it is sent as unversioned changes.
struct edited_document {
    std::string uri;
    long long version = 0;
    bool versioned = false;
    bool related_information = false; // as for diagnostics()
};

// The WorkspaceEdit that makes `edits` (TextEdit[]) in `doc`.
nlohmann::json workspace_edit(const edited_document &doc, nlohmann::json edits);

// textDocument/codeAction: a "quickfix" for each fix-it of the diagnostics
// on the lines of the request's range (a single "did you mean" preferred),
// and "source.fixAll.pexilon", every fix-it of the document at once.
nlohmann::json code_actions(const edited_document &doc, std::string_view text, std::size_t first,
                            std::size_t last, const nlohmann::json &params);

// textDocument/hover: what the line became, and the field a key fills.
nlohmann::json hover(const served_document &doc, position at);

// textDocument/completion: section headers after "[", keys at a line's start.
nlohmann::json completion(const served_document &doc, position at);

// textDocument/documentSymbol: sections, and controls by CTRL_NAME.
nlohmann::json document_symbols(const served_document &doc);

} // namespace pexilon::lsp
