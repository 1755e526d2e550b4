// SARIF 2.1.0, the check's --format=sarif: one run holding every diagnostic
// of every file, written as they come (see check_json.h).
#include <cinttypes>
#include <cstdio>
#include <unordered_map>
#include <utility>

#include "check_json.h"
#include "diagnostic_output.h"
#include "json_writer.h"
#include "output_check.h"
#include "pexilon/config_check.h"

namespace pexilon::tool {

namespace {

using check_json::number;
using pexilon::check::diagnostic;

// A file name as a relative URI reference: reserved bytes percent-encoded.
std::string as_uri(const std::string &file)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') ||
            std::string_view("-._~/").find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    return out;
}

// {"text": TEXT}
void message(json_writer &out, std::string_view text)
{
    out.begin_object();
    out.key("text");
    out.string(text);
    out.end_object();
}

// The members of a location; the caller opens and closes the object.
void sarif_location(json_writer &out, const std::string &uri, std::size_t line, std::size_t column,
                    std::size_t end_column)
{
    out.key("physicalLocation");
    out.begin_object();
    out.key("artifactLocation");
    out.begin_object();
    out.key("uri");
    out.string(uri);
    out.end_object();
    out.key("region");
    out.begin_object();
    out.key("startLine");
    out.number(number(line));
    if (column != 0) {
        out.key("startColumn");
        out.number(number(column));
        out.key("endColumn");
        out.number(number(end_column));
    }
    out.end_object();
    out.end_object();
}

// GitHub's code scanning keeps at most this many results of a run.
constexpr std::size_t github_result_limit = 25000;

// What names a result across commits where lines move: its rule and the
// text of its line, white space at the ends left out (FNV-1a, 64 bits).
std::uint64_t line_hash(std::string_view rule, std::string_view source)
{
    const std::size_t first = source.find_first_not_of(" \t\r");
    source = first == std::string_view::npos ? std::string_view() : source.substr(first);
    source = source.substr(0, source.find_last_not_of(" \t\r") + 1);
    std::uint64_t hash = 14695981039346656037ULL;
    const auto mix = [&](std::string_view bytes) {
        for (const char c : bytes)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    };
    mix(rule);
    mix(std::string_view("\0", 1));
    mix(source);
    return hash;
}

class sarif : public diagnostic_output {
public:
    explicit sarif(std::FILE *out) : stream_(out), out_(out, false) { begin(); }

    void add(const std::string &file, const diagnostic &d) override
    {
        if (file != file_) {
            file_ = file;
            uri_ = as_uri(file);
            seen_ = {};
        }
        ++results_;
        out_.begin_object();
        out_.key("ruleId");
        out_.string(d.name());
        out_.key("ruleIndex");
        out_.number(number(static_cast<std::size_t>(d.id)));
        out_.key("level");
        out_.string(d.severity == PEXILON_CHECK_ERROR ? "error" : "warning");
        out_.key("message");
        message(out_, d.message);
        out_.key("locations");
        out_.begin_array();
        out_.begin_object();
        sarif_location(out_, uri_, d.where.line, d.where.display_column,
                       d.where.display_end_column);
        out_.end_object();
        out_.end_array();
        if (!d.notes.empty()) {
            out_.key("relatedLocations");
            out_.begin_array();
            std::size_t id = 0;
            for (const pexilon::check::note &n : d.notes) {
                out_.begin_object();
                sarif_location(out_, uri_, n.where.line, n.where.display_column,
                               n.where.display_end_column);
                out_.key("id");
                out_.number(number(id++));
                out_.key("message");
                message(out_, n.message);
                out_.end_object();
            }
            out_.end_array();
        }
        if (!d.hint.empty()) {
            out_.key("properties");
            out_.begin_object();
            out_.key("hint");
            out_.string(d.hint);
            out_.end_object();
        }
        if (!d.fixes.empty())
            fixes(d);
        fingerprint(d);
        out_.end_object();
        note_output_error(stream_);
    }

    void finish(std::size_t, std::size_t) override
    {
        out_.end_array(); // results
        if (results_ > github_result_limit)
            over_the_limit();
        out_.end_object(); // the run
        out_.end_array();  // runs
        out_.end_object();
        out_.finish();
        note_output_error(stream_);
    }

private:
    // One fix of all the diagnostic's edits, described by what it changes.
    void fixes(const diagnostic &d)
    {
        out_.key("fixes");
        out_.begin_array();
        out_.begin_object();
        out_.key("description");
        message(out_, d.fixes.front().change);
        out_.key("artifactChanges");
        out_.begin_array();
        out_.begin_object();
        out_.key("artifactLocation");
        out_.begin_object();
        out_.key("uri");
        out_.string(uri_);
        out_.end_object();
        out_.key("replacements");
        out_.begin_array();
        for (const pexilon::check::fix_it &f : d.fixes) {
            out_.begin_object();
            out_.key("deletedRegion");
            out_.begin_object();
            out_.key("startLine");
            out_.number(number(f.where.line));
            out_.key("startColumn");
            out_.number(number(f.where.display_column));
            out_.key("endColumn");
            out_.number(number(f.where.display_end_column));
            out_.end_object();
            out_.key("insertedContent");
            message(out_, f.replacement);
            out_.end_object();
        }
        out_.end_array();
        out_.end_object();
        out_.end_array();
        out_.end_object();
        out_.end_array();
    }

    // Everything before the first result: the tool and its rules.
    void begin()
    {
        out_.begin_object();
        out_.key("$schema");
        out_.string("https://json.schemastore.org/sarif-2.1.0.json");
        out_.key("version");
        out_.string("2.1.0");
        out_.key("runs");
        out_.begin_array();
        out_.begin_object();
        out_.key("tool");
        out_.begin_object();
        out_.key("driver");
        out_.begin_object();
        out_.key("name");
        out_.string("pexilon-config");
        out_.key("version");
        out_.string(PEXILON_CONFIG_CHECK_VERSION_STRING);
        out_.key("rules");
        out_.begin_array();
        for (const auto &kind : pexilon::check::diagnostic_kinds()) {
            out_.begin_object();
            out_.key("id");
            out_.string(kind.name);
            out_.key("shortDescription");
            message(out_, kind.about);
            out_.key("defaultConfiguration");
            out_.begin_object();
            out_.key("level");
            out_.string(kind.severity == PEXILON_CHECK_ERROR ? "error" : "warning");
            out_.end_object();
            out_.end_object();
        }
        out_.end_array();
        out_.end_object(); // driver
        out_.end_object(); // tool
        // Columns count characters; a byte that is no UTF-8 is one, as the
        // replacement character the texts show it as.
        out_.key("columnKind");
        out_.string("unicodeCodePoints");
        out_.key("results");
        out_.begin_array();
    }

    // "HASH:N" of the N-th result of its rule on a line of that text in the
    // file, as code scanning reads primaryLocationLineHash: a result keeps
    // its fingerprint when lines above it are added or removed.
    void fingerprint(const diagnostic &d)
    {
        const std::uint64_t hash = line_hash(d.name(), d.source);
        char text[40];
        std::snprintf(text, sizeof text, "%016" PRIx64 ":%zu", hash, ++seen_[hash]);
        out_.key("partialFingerprints");
        out_.begin_object();
        out_.key("primaryLocationLineHash");
        out_.string(text);
        out_.end_object();
    }

    void over_the_limit()
    {
        out_.key("invocations");
        out_.begin_array();
        out_.begin_object();
        out_.key("executionSuccessful");
        out_.boolean(true);
        out_.key("toolExecutionNotifications");
        out_.begin_array();
        out_.begin_object();
        out_.key("level");
        out_.string("warning");
        out_.key("message");
        message(out_, std::to_string(results_) + " results: GitHub code scanning keeps " +
                          std::to_string(github_result_limit) +
                          " of a run; silence a warning with -Wno-NAME, or check fewer files "
                          "a run");
        out_.end_object();
        out_.end_array();
        out_.end_object();
        out_.end_array();
    }

    std::FILE *stream_;
    json_writer out_;
    std::string file_; // the last file, and its URI
    std::string uri_;
    std::unordered_map<std::uint64_t, std::size_t>
        seen_; // results of the file so far, by line hash
    std::size_t results_ = 0;
};

} // namespace

std::unique_ptr<diagnostic_output> sarif_output(std::FILE *out)
{
    return std::make_unique<sarif>(out);
}

} // namespace pexilon::tool
