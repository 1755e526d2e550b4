// Workspace edits, versioned where the client takes them.
#include "editor_requests.h"

namespace pexilon::lsp {

nlohmann::json workspace_edit(const edited_document &doc, nlohmann::json edits)
{
    if (!doc.versioned)
        return {{"changes", {{doc.uri, std::move(edits)}}}};
    return {{"documentChanges",
             nlohmann::json::array({{{"textDocument", {{"uri", doc.uri}, {"version", doc.version}}},
                                     {"edits", std::move(edits)}}})}};
}

} // namespace pexilon::lsp
