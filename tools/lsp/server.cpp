// The protocol's lifecycle and the open documents.
#include "server.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "edited_text.h"
#include "editor_requests.h"
#include "formatting.h"
#include "message_stream.h"
#include "pexilon/config_parser.h"
#include "request_positions.h"
#include "served_document.h"
#include "text_lines.h"

namespace pexilon::lsp {

namespace {

// Error codes of JSON-RPC and of the protocol.
constexpr int parse_error = -32700;
constexpr int invalid_request = -32600;
constexpr int method_not_found = -32601;
constexpr int invalid_params = -32602;
constexpr int internal_error = -32603;
constexpr int server_not_initialized = -32002;
constexpr int request_failed = -32803;

nlohmann::json capabilities()
{
    return {
        {"textDocumentSync", {{"openClose", true}, {"change", 1}}}, // the whole text
        {"hoverProvider", true},
        {"completionProvider", {{"triggerCharacters", {"["}}}},
        {"documentSymbolProvider", true},
        {"documentFormattingProvider", true},
        {"documentRangeFormattingProvider", true},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix", "source.fixAll.pexilon"}}}},
    };
}

position position_of(const nlohmann::json &params) { return position_in(params.at("position")); }

bool valid_id(const nlohmann::json &id) { return id.is_number_integer() || id.is_string(); }

// A request about a document whose text is not known since a change of it
// was refused; what() says why.
class document_unknown : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether the client's capabilities hold true at `path`.
bool client_takes(const nlohmann::json &params, const char *path)
{
    const nlohmann::json::json_pointer at(path);
    return params.is_object() && params.contains(at) && params.at(at) == true;
}

// Versioned documentChanges in a workspace edit.
bool takes_document_changes(const nlohmann::json &params)
{
    return client_takes(params, "/capabilities/workspace/workspaceEdit/documentChanges");
}

// Related information in a published diagnostic.
bool takes_related_information(const nlohmann::json &params)
{
    return client_takes(params, "/capabilities/textDocument/publishDiagnostics/relatedInformation");
}

} // namespace

void server::send(const nlohmann::json &message)
{
    if (done_)
        return;
    // Texts from the document may hold bytes that are not UTF-8; they are
    // replaced rather than allowed to stop the reply.
    send_body(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void server::send_body(const std::string &body)
{
    if (!done_)
        sent(write_message(out_, body));
}

void server::sent(bool written)
{
    if (!written) {
        write_error_ = errno != 0 ? errno : EIO;
        done_ = true; // nobody is listening any more
    }
}

void server::send_result(const nlohmann::json &id, nlohmann::json result)
{
    // Moved in, not copied: a result may hold a large document's worth.
    nlohmann::json message = {{"jsonrpc", "2.0"}, {"id", id}};
    message["result"] = std::move(result);
    send(message);
}

void server::send_result_text(const nlohmann::json &id, format_reply &result)
{
    if (done_)
        return;
    // The keys as nlohmann::json orders them: "id", "jsonrpc", "result".
    const std::string head = R"({"id":)" +
                             id.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                             R"(,"jsonrpc":"2.0","result":)";
    message_writer message(out_, head.size() + result.size() + 1);
    message.write(head);
    result.write([&](std::string_view piece) { message.write(piece); });
    message.write("}");
    sent(message.finish());
}

void server::send_error(const nlohmann::json &id, int code, const std::string &message)
{
    send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void server::handle_framing_error(const std::string &problem)
{
    send_error(nullptr, parse_error, problem);
}

void server::handle_body(const std::string &body)
{
    const nlohmann::json message = nlohmann::json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        send_error(nullptr, parse_error, "the message is not valid JSON");
        return;
    }
    handle_message(message);
}

void server::handle_message(const nlohmann::json &message)
{
    if (!message.is_object()) {
        send_error(nullptr, invalid_request, "a message must be a JSON object");
        return;
    }
    const auto id = message.find("id");
    const auto method = message.find("method");
    if (method == message.end() || !method->is_string()) {
        // A reply to a request of ours (there are none), or no message at all.
        if (id != message.end() && (message.contains("result") || message.contains("error")))
            return;
        send_error(id != message.end() && valid_id(*id) ? *id : nlohmann::json(nullptr),
                   invalid_request, "the message has no method");
        return;
    }
    const auto params = message.find("params");
    const nlohmann::json none = nlohmann::json::object();
    const nlohmann::json &args = params != message.end() ? *params : none;
    if (id == message.end()) {
        handle_notification(method->get_ref<const std::string &>(), args);
        return;
    }
    if (!valid_id(*id)) {
        send_error(nullptr, invalid_request, "a request id must be a number or a string");
        return;
    }
    handle_request(*id, method->get_ref<const std::string &>(), args);
}

void server::handle_request(const nlohmann::json &id, const std::string &method,
                            const nlohmann::json &params)
{
    if (phase_ == phase::waiting && method != "initialize") {
        send_error(id, server_not_initialized, "the server has not been initialized");
        return;
    }
    if (phase_ == phase::shut_down) {
        send_error(id, invalid_request, "the server has been shut down");
        return;
    }
    if (phase_ == phase::running && method == "initialize") {
        send_error(id, invalid_request, "the server is already initialized");
        return;
    }
    try {
        // Formatting answers with an edit per changed run of lines, as many as
        // a large document has lines: written out as text, not built as JSON.
        if (method == "textDocument/formatting" || method == "textDocument/rangeFormatting") {
            format_reply reply(document_text(params), params);
            send_result_text(id, reply);
            return;
        }
        bool known = true;
        nlohmann::json result = answer(method, params, known);
        if (!known)
            send_error(id, method_not_found, "unknown method: " + method);
        else
            send_result(id, std::move(result));
    } catch (const format_refused &e) {
        send_error(id, request_failed, e.what());
    } catch (const document_unknown &e) {
        send_error(id, request_failed, e.what());
    } catch (const nlohmann::json::exception &e) {
        send_error(id, invalid_params, "invalid params: " + request_fault(e));
    } catch (const std::bad_alloc &) {
        send_error(id, internal_error, "out of memory");
    }
}

nlohmann::json server::answer(const std::string &method, const nlohmann::json &params, bool &known)
{
    if (method == "initialize") {
        versioned_edits_ = takes_document_changes(params);
        related_information_ = takes_related_information(params);
        phase_ = phase::running;
        return {{"capabilities", capabilities()},
                {"serverInfo",
                 {{"name", "pexilon-config"}, {"version", PEXILON_CONFIG_PARSER_VERSION_STRING}}}};
    }
    if (method == "shutdown") {
        phase_ = phase::shut_down;
        shut_down_ = true;
        return nullptr;
    }
    if (method == "textDocument/hover")
        return hover(document_read(params), position_of(params));
    if (method == "textDocument/completion")
        return completion(document_read(params), position_of(params));
    if (method == "textDocument/codeAction") {
        const protocol_range range = range_in(params.at("range"));
        const std::string uri = params.at("textDocument").at("uri").get<std::string>();
        const std::string &text = document_text(params);
        const edited_document target{uri, documents_.at(uri).version, versioned_edits_,
                                     related_information_};
        return code_actions(target, text, range.start.line, range.end.line, params);
    }
    if (method == "textDocument/documentSymbol")
        return document_symbols(document_read(params));
    known = false;
    return nullptr;
}

void server::handle_notification(const std::string &method, const nlohmann::json &params)
{
    if (method == "exit") {
        exited_ = true;
        done_ = true;
        return;
    }
    if (phase_ != phase::running)
        return; // notifications before initialize and after shutdown are dropped
    try {
        if (method == "textDocument/didOpen")
            open_document(params);
        else if (method == "textDocument/didChange")
            change_document(params);
        else if (method == "textDocument/didClose")
            close_document(params);
        // Others ("initialized", "$/cancelRequest", ...) need nothing.
    } catch (const nlohmann::json::exception &) {
        // A notification has no reply to carry an error; the message is dropped.
    } catch (const std::bad_alloc &) {
    }
}

void server::publish_diagnostics(const std::string &uri)
{
    const document &doc = documents_.at(uri);
    // A text that is not known has no diagnostics; those of the one before
    // would underline lines the editor no longer shows.
    nlohmann::json params =
        doc.refused.empty()
            ? diagnostics(uri, doc.text, related_information_)
            : nlohmann::json{{"uri", uri}, {"diagnostics", nlohmann::json::array()}};
    params["version"] = doc.version;
    send({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", params}});
}

void server::publish_pending()
{
    if (phase_ == phase::shut_down)
        pending_.clear(); // nobody waits for them any more
    while (!pending_.empty() && !done_) {
        const std::string uri = *pending_.begin();
        pending_.erase(pending_.begin());
        try {
            publish_diagnostics(uri);
        } catch (const std::bad_alloc &) {
            // This document goes without diagnostics until its next change.
        }
    }
}

const std::string &server::document_text(const nlohmann::json &params) const
{
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto found = documents_.find(uri);
    if (found == documents_.end())
        throw nlohmann::json::out_of_range::create(403, "the document is not open: " + uri,
                                                   nullptr);
    if (!found->second.refused.empty())
        throw document_unknown(found->second.refused +
                               " The server waits for the editor's whole text.");
    return found->second.text;
}

const served_document &server::document_read(const nlohmann::json &params)
{
    const std::string &text = document_text(params); // throws for a document not open
    document &doc = documents_.find(params.at("textDocument").at("uri").get<std::string>())->second;
    if (!doc.read)
        doc.read = std::make_shared<const served_document>(text);
    return *doc.read;
}

namespace {

// The exit status, with the cause of a failed write on standard error.
int finished(const server &session)
{
    if (session.write_error() != 0)
        std::fprintf(stderr, "pexilon-config: lsp: cannot write to the client: %s\n",
                     std::strerror(session.write_error()));
    return session.exit_code();
}

} // namespace

int run_server(std::FILE *in, std::FILE *out)
{
    // A client that goes away must end the server through a failed write,
    // not through a signal.
    std::signal(SIGPIPE, SIG_IGN);
    server session(out);
    while (!session.done()) {
        try {
            if (!input_waiting(in))
                session.publish_pending();
            const read_result message = read_message(in);
            switch (message.status) {
            case read_status::end_of_input:
                return finished(session);
            case read_status::message:
                session.handle_body(message.body);
                break;
            case read_status::bad_header:
                session.handle_framing_error(message.problem);
                break;
            case read_status::too_large:
                session.handle_skipped_message(message.problem);
                break;
            }
        } catch (const std::bad_alloc &) {
            // A message too large for what memory is left is lost, not the server.
            session.handle_framing_error("out of memory");
        }
    }
    return finished(session);
}

} // namespace pexilon::lsp
