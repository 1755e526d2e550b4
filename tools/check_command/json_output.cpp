// GCC's JSON diagnostics, the check's --format=json: one array of every
// diagnostic of every file, written as they come (see check_json.h).
#include "check_json.h"
#include "diagnostic_output.h"
#include "json_writer.h"
#include "output_check.h"
#include "pexilon/config_check.h"
#include "support/character_columns.h"

namespace pexilon::tool {

namespace {

using check_json::number;
using pexilon::check::diagnostic;

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
            pexilon::character_size(line, byte - back - 1) > back) {
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
                {pexilon::characters_in(line), character_start(line, line.size())}};
    return {line_number, first, {end.display - 1, character_start(line, end.byte - 1)}};
}

gcc_place place_of(const diagnostic &d)
{
    return place_on(d.where.line, d.source, {d.where.display_column, d.where.column},
                    {d.where.display_end_column, d.where.end_column});
}

gcc_place place_of(const pexilon::check::note &n)
{
    return place_on(n.where.line, {}, {n.where.display_column, n.where.column},
                    {n.where.display_end_column, n.where.end_column});
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
            gcc_point(out_, file, f.where.line, {f.where.display_column, f.where.column});
            out_.key("next");
            gcc_point(out_, file, f.where.line, {f.where.display_end_column, f.where.end_column});
            out_.key("string");
            out_.string(f.replacement);
            out_.end_object();
        }
        out_.end_array();
    }

    void child(const std::string &file, const gcc_place &place, std::string_view message)
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

} // namespace

std::unique_ptr<diagnostic_output> json_output(std::FILE *out)
{
    return std::make_unique<gcc_json>(out);
}

} // namespace pexilon::tool
