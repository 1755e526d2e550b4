// The documents the editor opens, changes and closes. A change the server
// cannot apply (too large, or a range outside the text) leaves it not knowing
// the editor's text: it says so, and answers nothing about the document
// until the full text comes, rather than answers about a text the editor no
// longer shows.
#include <cstdint>

#include "edited_text.h"
#include "message_stream.h"
#include "request_positions.h"
#include "server.h"

namespace pexilon::lsp {

namespace {

// A document's version: an integer, or absent (or null) for `otherwise`.
long long version_of(const nlohmann::json &item, long long otherwise)
{
    const auto found = item.find("version");
    if (found == item.end() || found->is_null())
        return otherwise;
    if (!found->is_number_integer() ||
        (found->is_number_unsigned() &&
         found->get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)))
        throw nlohmann::json::type_error::create(302, "a version must be an integer", nullptr);
    return found->get<long long>();
}

std::string too_large(const std::string &uri)
{
    return "The change of " + uri + " is not applied: the document would be over " +
           std::to_string(max_body_size) + " bytes, the most the server holds.";
}

std::string outside(const std::string &uri, const std::string &why)
{
    return "The change of " + uri + " is not applied: " + why + ".";
}

} // namespace

void server::open_document(const nlohmann::json &params)
{
    // Every field is read before anything is stored, so that a malformed
    // message leaves the documents as they were.
    const nlohmann::json &item = params.at("textDocument");
    std::string uri = item.at("uri").get<std::string>();
    document doc{item.at("text").get<std::string>(), version_of(item, 0), nullptr, {}};
    documents_[uri] = std::move(doc);
    pending_.insert(uri);
}

void server::change_document(const nlohmann::json &params)
{
    const nlohmann::json &item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    const auto found = documents_.find(uri);
    if (found == documents_.end())
        return; // never opened
    document &doc = found->second;
    const long long version = version_of(item, doc.version);
    // The edits go to a copy, so that a change that fails part way leaves the
    // document as it was until it is refused as a whole.
    edited_text text(doc.text, max_body_size);
    bool known = doc.refused.empty();
    for (const nlohmann::json &change : params.at("contentChanges")) {
        const std::string &replacement = change.at("text").get_ref<const std::string &>();
        if (!change.contains("range")) {
            if (replacement.size() > max_body_size)
                return refuse_change(uri, doc, version, too_large(uri));
            text = edited_text(replacement, max_body_size);
            known = true;
            continue;
        }
        if (!known)
            continue; // an edit of a text the server does not have
        protocol_range range;
        try {
            range = range_in(change.at("range"));
        } catch (const nlohmann::json::type_error &e) {
            return refuse_change(uri, doc, version, outside(uri, request_fault(e)));
        }
        const edit_result made = text.replace(range.start, range.end, replacement);
        if (made == edit_result::too_large)
            return refuse_change(uri, doc, version, too_large(uri));
        if (made == edit_result::outside)
            return refuse_change(uri, doc, version,
                                 outside(uri, "its range " + change.at("range").dump() +
                                                  " is past the end of the text"));
    }
    if (!known)
        return; // still waiting for the full text
    doc.text = text.take();
    doc.version = version;
    doc.read.reset();
    doc.refused.clear();
    pending_.insert(uri);
}

void server::refuse_change(const std::string &uri, document &doc, long long version,
                           const std::string &why)
{
    doc.refused = why;
    doc.version = version;
    doc.text = std::string();
    doc.read.reset();
    pending_.insert(uri); // its diagnostics, of a text no longer shown, are cleared
    // A notification has no reply: the editor is told in a message.
    show_error(why + " Requests about the document are refused until the editor sends its "
                     "whole text.");
}

void server::handle_skipped_message(const std::string &problem)
{
    handle_framing_error(problem);
    const std::string why = "A message over " + std::to_string(max_body_size) +
                            " bytes, the most the server reads, was skipped; it may have "
                            "changed this document.";
    bool any = false;
    for (auto &[uri, doc] : documents_) {
        any = any || doc.refused.empty();
        doc.refused = why;
        doc.text = std::string();
        doc.read.reset();
        pending_.insert(uri);
    }
    if (any)
        show_error(why + " Requests about the open documents are refused until the editor sends "
                         "their whole text.");
}

void server::show_error(const std::string &message)
{
    send({{"jsonrpc", "2.0"},
          {"method", "window/showMessage"},
          {"params", {{"type", 1}, {"message", message}}}});
}

void server::close_document(const nlohmann::json &params)
{
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    pending_.erase(uri);
    if (documents_.erase(uri) > 0)
        send({{"jsonrpc", "2.0"},
              {"method", "textDocument/publishDiagnostics"},
              {"params", {{"uri", uri}, {"diagnostics", nlohmann::json::array()}}}});
}

} // namespace pexilon::lsp
