// The JSON forms of the check's output: GCC's layout and SARIF 2.1.0. Both
// are written as the diagnostics come, so that a file with a million
// warnings needs no more memory than one of them.
#include "diagnostic_output.h"
#include "json_writer.h"
#include "output_check.h"
#include "pexilon/config_check.h"
#include "support/character_columns.h"

namespace pexilon_tool {

namespace {

using pexilon::check::diagnostic;

std::int64_t number(std::size_t value) { return static_cast<std::int64_t>(value); }

// A column counted both ways: GCC's "display-column" (characters) and
// "byte-column"; its "column" is the display column, as GCC's default
// -fdiagnostics-column-unit=display has it.
struct both_columns {
    std::size_t display = 0;
    std::size_t byte = 0;
};

void gcc_point(json_writer &out, const std::string &file, std::size_t line, both_columns column)
{
    out.begin_object();
    out.key("file");
    out.string(file);
    out.key("line");
    out.number(number(line));
    out.key("display-column");
    out.number(number(column.display));
    out.key("byte-column");
    out.number(number(column.byte));
    out.key("column");
    out.number(number(column.display));
    out.end_object();
}

// Where a diagnostic or a note is: a line, its columns in bytes and in
// characters, and the line's length in both for a place of the whole line.
struct gcc_place {
    std::size_t line = 0;
    both_columns first;
    both_columns finish; // the last character, at its first byte
};

// A place as GCC writes it: the caret and, when it spans more than one
// character, the last one; a diagnostic of a whole line spans the line.
void gcc_locations(json_writer &out, const std::string &file, const gcc_place &place)
{
    const both_columns first = place.first;
    both_columns last = place.finish;
    if (last.byte < first.byte || last.display < first.display)
        last = first;
    out.key("locations");
    out.begin_array();
    out.begin_object();
    out.key("caret");
    gcc_point(out, file, place.line, first);
    if (last.display != first.display) {
        out.key("finish");
        gcc_point(out, file, place.line, last);
    }
    out.end_object();
    out.end_array();
}

// The 1-based byte column where the character holding byte column `byte`
// of `line` starts.
std::size_t character_start(std::string_view line, std::size_t byte)
{
    std::size_t start = byte;
    for (std::size_t back = 1; back < 4 && back < byte; ++back)
        if (byte - back - 1 < line.size() &&
            pexilon::check::character_size(line, byte - back - 1) > back) {
            start = byte - back;
            break;
        }
    return start;
}

// `line` is the place's line when known: the finish then starts at the
// first byte of the last character, as GCC's does.
gcc_place place_on(std::size_t line_number, std::string_view line, both_columns first,
                   both_columns end)
{
    if (first.byte == 0) // the whole line
        return {line_number,
                {1, 1},
                {pexilon::check::characters_in(line), character_start(line, line.size())}};
    return {line_number, first, {end.display - 1, character_start(line, end.byte - 1)}};
}

gcc_place place_of(const diagnostic &d)
{
    return place_on(d.line, d.source, {d.display_column, d.column},
                    {d.display_end_column, d.end_column});
}

gcc_place place_of(const pexilon::check::note &n)
{
    return place_on(n.line, {}, {n.display_column, n.column}, {n.display_end_column, n.end_column});
}

// The texts quote the file, which need not be UTF-8: the writer turns each
// invalid byte into U+FFFD, so that the output is valid JSON whatever the
// file held.
class gcc_json : public diagnostic_output {
public:
    explicit gcc_json(std::FILE *out) : stream_(out), out_(out, false) { out_.begin_array(); }

    void add(const std::string &file, const diagnostic &d) override
    {
        out_.begin_object();
        out_.key("kind");
        out_.string(d.severity == PEXILON_CHECK_ERROR ? "error" : "warning");
        out_.key("message");
        out_.string(d.message);
        // As GCC: only what a -Wno- option can silence names its option.
        if (d.severity != PEXILON_CHECK_ERROR) {
            out_.key("option");
            out_.string(option_of(d));
        }
        out_.key("children");
        out_.begin_array();
        if (!d.hint.empty())
            child(file, place_of(d), d.hint);
        for (const pexilon::check::note &n : d.notes)
            child(file, place_of(n), n.message);
        out_.end_array();
        out_.key("column-origin");
        out_.number(1);
        gcc_locations(out_, file, place_of(d));
        if (!d.fixes.empty())
            fixits(file, d);
        out_.end_object();
        note_output_error(stream_);
    }

    void finish(std::size_t, std::size_t) override
    {
        out_.end_array();
        out_.finish();
        note_output_error(stream_);
    }

private:
    // GCC's fix-its: "next" is the column just past the replaced text.
    void fixits(const std::string &file, const diagnostic &d)
    {
        out_.key("fixits");
        out_.begin_array();
        for (const pexilon::check::fix_it &f : d.fixes) {
            out_.begin_object();
            out_.key("start");
            gcc_point(out_, file, f.line, {f.display_column, f.column});
            out_.key("next");
            gcc_point(out_, file, f.line, {f.display_end_column, f.end_column});
            out_.key("string");
            out_.string(f.replacement);
            out_.end_object();
        }
        out_.end_array();
    }

    void child(const std::string &file, const gcc_place &place, const std::string &message)
    {
        out_.begin_object();
        out_.key("kind");
        out_.string("note");
        out_.key("message");
        out_.string(message);
        gcc_locations(out_, file, place);
        out_.end_object();
    }

    std::FILE *stream_;
    json_writer out_;
};

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

class sarif : public diagnostic_output {
public:
    explicit sarif(std::FILE *out) : stream_(out), out_(out, false) { begin(); }

    void add(const std::string &file, const diagnostic &d) override
    {
        if (file != file_) {
            file_ = file;
            uri_ = as_uri(file);
        }
        out_.begin_object();
        out_.key("ruleId");
        out_.string(d.name);
        out_.key("ruleIndex");
        out_.number(number(rule_index(d.name)));
        out_.key("level");
        out_.string(d.severity == PEXILON_CHECK_ERROR ? "error" : "warning");
        out_.key("message");
        message(out_, d.message);
        out_.key("locations");
        out_.begin_array();
        out_.begin_object();
        sarif_location(out_, uri_, d.line, d.display_column, d.display_end_column);
        out_.end_object();
        out_.end_array();
        if (!d.notes.empty()) {
            out_.key("relatedLocations");
            out_.begin_array();
            std::size_t id = 0;
            for (const pexilon::check::note &n : d.notes) {
                out_.begin_object();
                sarif_location(out_, uri_, n.line, n.display_column, n.display_end_column);
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
        out_.end_object();
        note_output_error(stream_);
    }

    void finish(std::size_t, std::size_t) override
    {
        out_.end_array();  // results
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
            out_.number(number(f.line));
            out_.key("startColumn");
            out_.number(number(f.display_column));
            out_.key("endColumn");
            out_.number(number(f.display_end_column));
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

    static std::size_t rule_index(std::string_view name)
    {
        const auto &kinds = pexilon::check::diagnostic_kinds();
        for (std::size_t i = 0; i < kinds.size(); ++i)
            if (kinds[i].name == name)
                return i;
        return 0;
    }

    std::FILE *stream_;
    json_writer out_;
    std::string file_; // the last file, and its URI
    std::string uri_;
};

} // namespace

std::unique_ptr<diagnostic_output> json_output(std::FILE *out)
{
    return std::make_unique<gcc_json>(out);
}

std::unique_ptr<diagnostic_output> sarif_output(std::FILE *out)
{
    return std::make_unique<sarif>(out);
}

} // namespace pexilon_tool
