// The language server: the protocol's lifecycle, the open documents, and the
// requests an editor sends while a configuration file is written.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

namespace pexilon::lsp {

class format_reply;
class served_document;

class server {
public:
    explicit server(std::FILE *out) : out_(out) {}

    // Handles the body of one framed message.
    void handle_body(const std::string &body);

    // Answers a message whose framing could not be read.
    void handle_framing_error(const std::string &problem);

    // Answers a message skipped for its size. It may have changed any open
    // document, so none of their texts is known any more.
    void handle_skipped_message(const std::string &problem);

    // Publishes the diagnostics of every document changed since the last
    // call. The loop calls it when no input is waiting, so that a burst of
    // keystrokes costs one check, of the text the editor holds last.
    void publish_pending();

    // True once `exit` arrived or the output failed.
    bool done() const noexcept { return done_; }

    // 0 after shutdown and exit; 1 after exit alone, or when the input ended
    // or the output failed first.
    int exit_code() const noexcept { return shut_down_ && exited_ ? 0 : 1; }

    // The errno of the write that failed, or 0.
    int write_error() const noexcept { return write_error_; }

private:
    enum class phase { waiting, running, shut_down };

    void handle_message(const nlohmann::json &message);
    void handle_request(const nlohmann::json &id, const std::string &method,
                        const nlohmann::json &params);
    void handle_notification(const std::string &method, const nlohmann::json &params);

    nlohmann::json answer(const std::string &method, const nlohmann::json &params, bool &known);

    void open_document(const nlohmann::json &params);
    void change_document(const nlohmann::json &params);
    void close_document(const nlohmann::json &params);
    void publish_diagnostics(const std::string &uri);
    void show_error(const std::string &message); // window/showMessage

    // The text of the document a request names; throws for an unknown one.
    const std::string &document_text(const nlohmann::json &params) const;
    // The same document read, once for each version it has.
    const served_document &document_read(const nlohmann::json &params);

    void send(const nlohmann::json &message);
    void send_body(const std::string &body);
    void send_result(const nlohmann::json &id, nlohmann::json result);
    // A result that writes itself as JSON text, as the message goes out.
    void send_result_text(const nlohmann::json &id, format_reply &result);
    void sent(bool written); // after a message: a failed write ends the session
    void send_error(const nlohmann::json &id, int code, const std::string &message);

    struct document {
        std::string text;
        long long version = 0;
        std::shared_ptr<const served_document> read; // null until a request needs it
        // Why the editor's text is not known, after a change that could not
        // be applied; empty while it is. Requests about the document are
        // refused until a full text comes.
        std::string refused;
    };
    // Refuses a change of `doc`: the editor is told, and the document waits
    // for its full text.
    void refuse_change(const std::string &uri, document &doc, long long version,
                       const std::string &why);

    std::FILE *out_;
    phase phase_ = phase::waiting;
    bool shut_down_ = false;
    bool exited_ = false;
    bool done_ = false;
    int write_error_ = 0;
    bool versioned_edits_ = false;     // the client takes documentChanges
    bool related_information_ = false; // and related information in diagnostics
    std::map<std::string, document> documents_;
    std::set<std::string> pending_; // documents changed, not yet checked
};

// Serves the protocol on `in` and `out` until `exit`, the end of `in` or a
// failed write (reported on standard error); returns the exit status.
int run_server(std::FILE *in, std::FILE *out);

} // namespace pexilon::lsp
