// The text and gcc forms of the check's output.
#include <algorithm>
#include <string_view>

#include "diagnostic_output.h"
#include "output_check.h"
#include "shown_name.h"
#include "support/character_columns.h"

namespace pexilon::tool {

namespace {

using pexilon::check::diagnostic;

struct palette {
    const char *locus = "";
    const char *error = "";
    const char *warning = "";
    const char *note = "";
    const char *caret = "";
    const char *reset = "";
    const char *fix = "";
};

// The colours of GCC's default GCC_COLORS.
constexpr palette coloured{"\033[01m",    "\033[01;31m",  "\033[01;35m", "\033[01;36m",
                           "\033[01;32m", "\033[m\033[K", "\033[32m"};
constexpr palette plain{};

const char *severity_word(pexilon_check_severity s)
{
    return s == PEXILON_CHECK_ERROR ? "error" : s == PEXILON_CHECK_WARNING ? "warning" : "note";
}

std::string locus(const std::string &file, std::size_t line, std::size_t column)
{
    std::string out = file + ":" + std::to_string(line) + ":";
    if (column != 0)
        out += std::to_string(column) + ":";
    return out;
}

// A source line longer than this is shown as a window of this many bytes
// around the caret, cut where marked, so that what one diagnostic prints
// does not grow with its line: a line of megabytes with a fault every few
// bytes would otherwise print the whole line for each of them.
constexpr std::size_t source_window = 200;
// Bytes of the line kept before the caret when the line is cut.
constexpr std::size_t window_lead = 40;
constexpr std::string_view cut_mark = "...";

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The part of a line that is shown: [first, last) in bytes, never cutting a
// UTF-8 character in two.
struct source_cut {
    std::size_t first = 0;
    std::size_t last = 0;
};

source_cut cut_around(std::string_view line, std::size_t caret)
{
    if (line.size() <= source_window)
        return {0, line.size()};
    source_cut cut;
    cut.first = caret > window_lead ? caret - window_lead : 0;
    if (cut.first > line.size() - source_window)
        cut.first = line.size() - source_window;
    cut.last = cut.first + source_window;
    while (cut.first > 0 && cut.first < line.size() && is_continuation(line[cut.first]))
        ++cut.first;
    while (cut.last < line.size() && is_continuation(line[cut.last]))
        --cut.last;
    return cut;
}

class text_form : public diagnostic_output {
public:
    text_form(std::FILE *out, bool color, bool with_source)
        : out_(out), colors_(color ? coloured : plain), with_source_(with_source)
    {
    }

    void add(const std::string &file, const diagnostic &d) override
    {
        if (file != file_) {
            file_ = file;
            blanks_line_ = 0;
        }
        const char *color = d.severity == PEXILON_CHECK_ERROR ? colors_.error : colors_.warning;
        const std::string name = bracketed_name(d);
        std::fprintf(out_, "%s%s%s %s%s:%s %s [%s%s%s]\n", colors_.locus,
                     locus(file, d.where.line, d.where.display_column).c_str(), colors_.reset,
                     color, severity_word(d.severity), colors_.reset, shown_text(d.message).c_str(),
                     color, name.c_str(), colors_.reset);
        if (with_source_ && d.where.line != 0) {
            show_source(d.where.line, d.source, d.where.column, d.where.end_column);
            show_fixes(d);
        }
        if (!d.hint.empty())
            note(file, d.where.line, d.where.display_column, d.hint);
        for (const pexilon::check::note &n : d.notes) {
            note(file, n.where.line, n.where.display_column, n.message);
        }
        note_output_error(out_);
    }

    void finish(std::size_t errors, std::size_t warnings) override
    {
        if (!with_source_ || errors + warnings == 0)
            return;
        std::string line;
        if (errors != 0)
            line = std::to_string(errors) + (errors == 1 ? " error" : " errors");
        if (warnings != 0)
            line += (line.empty() ? "" : ", ") + std::to_string(warnings) +
                    (warnings == 1 ? " warning" : " warnings");
        std::fprintf(out_, "%s\n", line.c_str());
    }

private:
    void note(const std::string &file, std::size_t line, std::size_t column,
              std::string_view message)
    {
        std::fprintf(out_, "%s%s%s %snote:%s %s\n", colors_.locus,
                     locus(file, line, column).c_str(), colors_.reset, colors_.note, colors_.reset,
                     shown_text(message).c_str());
    }

    // "   12 | REG = 0x12G4, 0x01" and beneath it "      |       ^~~~~~". A
    // long line shows a window around the caret, "..." where it is cut.
    void show_source(std::size_t line, std::string_view source, std::size_t column,
                     std::size_t end_column)
    {
        std::size_t first = column; // 1-based, as the columns
        std::size_t last = end_column;
        if (first == 0) { // the whole line, from its first visible character
            first = first_visible(line, source) + 1;
            last = source.size() + 1;
            if (first > source.size())
                return;
        }
        if (last > source.size() + 1)
            last = source.size() + 1;
        if (last <= first)
            last = first + 1;
        const source_cut cut = cut_around(source, first - 1);
        const std::string_view lead = cut.first > 0 ? cut_mark : std::string_view();
        const std::string_view tail = cut.last < source.size() ? cut_mark : std::string_view();
        const std::string_view shown = source.substr(cut.first, cut.last - cut.first);
        std::string marks(lead.size(), ' ');
        marks += blanks_under(source, cut.first, first - 1);
        marks += '^';
        // The underline stops where the window does, one mark a character.
        const std::size_t stop = std::min(last, cut.last + 1);
        if (stop > first + 1) {
            const std::size_t from = std::min(first - 1, source.size());
            const std::size_t to = std::min(stop - 1, source.size());
            const std::size_t marked = pexilon::characters_in(source.substr(from, to - from));
            const std::size_t past_end = stop - 1 > source.size() ? stop - 1 - source.size() : 0;
            if (marked + past_end > 1)
                marks.append(marked + past_end - 1, '~');
        }
        const std::string number = std::to_string(line);
        const std::size_t width = number.size() < 5 ? 5 : number.size();
        std::fprintf(out_, "%*s | %.*s%s%.*s\n", static_cast<int>(width), number.c_str(),
                     static_cast<int>(lead.size()), lead.data(), shown_text(shown, true).c_str(),
                     static_cast<int>(tail.size()), tail.data());
        std::fprintf(out_, "%*s | %s%s%s\n", static_cast<int>(width), "", colors_.caret,
                     marks.c_str(), colors_.reset);
    }

    // What goes under source[from, to) so that the next mark sits under
    // byte `to`: a tab for a tab, a blank for any other character, a blank
    // a byte past the line's end.
    static std::string blanks_under(std::string_view source, std::size_t from, std::size_t to)
    {
        std::string out;
        std::size_t at = from;
        while (at < to && at < source.size()) {
            const std::size_t size = pexilon::character_size(source, at);
            if (at + size > to)
                break; // `to` lies inside this character: the mark goes under it
            out += source[at] == '\t' ? '\t' : ' ';
            at += size;
        }
        if (to > source.size())
            out.append(to - std::max(at, source.size()), ' ');
        return out;
    }

    // The first byte that is neither a space nor a tab (the line's size when
    // there is none). A line read in pieces has a diagnostic per piece: the
    // last answer is kept, so that a long run of blanks is scanned once.
    std::size_t first_visible(std::size_t line, std::string_view source)
    {
        if (line != blanks_line_ || source.data() != blanks_of_.data() ||
            source.size() != blanks_of_.size()) {
            blanks_line_ = line;
            blanks_of_ = source;
            const std::size_t at = source.find_first_not_of(" \t");
            blanks_ = at == std::string_view::npos ? source.size() : at;
        }
        return blanks_;
    }

    // The replacement text beneath the caret, as compilers show a fix-it,
    // and what it changes in the record.
    // A line shown as a window gets the change in words alone.
    void show_fixes(const diagnostic &d)
    {
        if (d.fixes.empty())
            return;
        const std::size_t width = std::max<std::size_t>(5, std::to_string(d.where.line).size());
        for (const pexilon::check::fix_it &f : d.fixes) {
            if (f.where.line != d.where.line || d.source.size() > source_window)
                continue;
            const std::string under = blanks_under(d.source, 0, f.where.column - 1);
            const std::string shown =
                f.replacement.empty() ? std::string("(remove)") : shown_text(f.replacement, true);
            std::fprintf(out_, "%*s | %s%s%s%s\n", static_cast<int>(width), "", under.c_str(),
                         colors_.fix, shown.c_str(), colors_.reset);
        }
        if (!d.fixes.empty() && !d.fixes.front().change.empty())
            std::fprintf(out_, "%*s = fix-it: %s\n", static_cast<int>(width), "",
                         d.fixes.front().change.c_str());
    }

    std::FILE *out_;
    palette colors_;
    bool with_source_;
    std::string file_;
    // The line first_visible last looked at; forgotten at each new file.
    std::size_t blanks_line_ = 0;
    std::string_view blanks_of_;
    std::size_t blanks_ = 0;
};

} // namespace

std::string option_of(const diagnostic &d) { return "-W" + std::string(d.name()); }

std::string bracketed_name(const diagnostic &d)
{
    return d.severity == PEXILON_CHECK_ERROR ? std::string(d.name()) : option_of(d);
}

std::unique_ptr<diagnostic_output> text_output(std::FILE *out, bool color)
{
    return std::make_unique<text_form>(out, color, true);
}

std::unique_ptr<diagnostic_output> gcc_output(std::FILE *out)
{
    return std::make_unique<text_form>(out, false, false);
}

} // namespace pexilon::tool
