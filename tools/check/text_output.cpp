// The text and gcc forms of the check's output.
#include <algorithm>
#include <string_view>

#include "diagnostic_output.h"

namespace pexilon_tool {

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

// The source line as it can be shown: control characters (a NUL, an escape)
// become '?', so that a file cannot drive the terminal.
std::string shown_source(std::string_view source)
{
    std::string out(source);
    for (char &c : out)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
            c = '?';
    return out;
}

class text_form : public diagnostic_output {
public:
    text_form(std::FILE *out, bool color, bool with_source)
        : out_(out), colors_(color ? coloured : plain), with_source_(with_source)
    {
    }

    void add(const std::string &file, const diagnostic &d) override
    {
        const char *color = d.severity == PEXILON_CHECK_ERROR ? colors_.error : colors_.warning;
        std::string name = option_of(d);
        if (d.severity == PEXILON_CHECK_ERROR)
            name = std::string(d.name);
        std::fprintf(out_, "%s%s%s %s%s:%s %s [%s%s%s]\n", colors_.locus,
                     locus(file, d.line, d.column).c_str(), colors_.reset, color,
                     severity_word(d.severity), colors_.reset, d.message.c_str(), color,
                     name.c_str(), colors_.reset);
        if (with_source_ && d.line != 0) {
            show_source(d.line, d.source, d.column, d.end_column);
            show_fixes(d);
        }
        if (!d.hint.empty())
            note(file, d.line, d.column, d.hint);
        for (const pexilon::check::note &n : d.notes) {
            note(file, n.line, n.column, n.message);
        }
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
              const std::string &message)
    {
        std::fprintf(out_, "%s%s%s %snote:%s %s\n", colors_.locus,
                     locus(file, line, column).c_str(), colors_.reset, colors_.note, colors_.reset,
                     message.c_str());
    }

    // "   12 | REG = 0x12G4, 0x01" and beneath it "      |       ^~~~~~".
    void show_source(std::size_t line, std::string_view source, std::size_t column,
                     std::size_t end_column)
    {
        const std::string text = shown_source(source);
        std::size_t first = column;
        std::size_t last = end_column;
        if (first == 0) { // the whole line, from its first visible character
            first = text.find_first_not_of(" \t") + 1;
            last = text.size() + 1;
            if (first == 0 || first > text.size())
                return;
        }
        if (last > text.size() + 1)
            last = text.size() + 1;
        if (last <= first)
            last = first + 1;
        std::string marks;
        for (std::size_t i = 1; i < first; ++i)
            marks += i <= text.size() && text[i - 1] == '\t' ? '\t' : ' ';
        marks += '^';
        marks.append(last - first - 1, '~');
        const std::string number = std::to_string(line);
        const std::size_t width = number.size() < 5 ? 5 : number.size();
        std::fprintf(out_, "%*s | %s\n", static_cast<int>(width), number.c_str(), text.c_str());
        std::fprintf(out_, "%*s | %s%s%s\n", static_cast<int>(width), "", colors_.caret,
                     marks.c_str(), colors_.reset);
    }

    // The replacement text beneath the caret, as compilers show a fix-it,
    // and what it changes in the record.
    void show_fixes(const diagnostic &d)
    {
        const std::string text = shown_source(d.source);
        const std::size_t width = std::max<std::size_t>(5, std::to_string(d.line).size());
        for (const pexilon::check::fix_it &f : d.fixes) {
            if (f.line != d.line)
                continue;
            std::string under;
            for (std::size_t i = 1; i < f.column; ++i)
                under += i <= text.size() && text[i - 1] == '\t' ? '\t' : ' ';
            const std::string shown =
                f.replacement.empty() ? std::string("(remove)") : shown_source(f.replacement);
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
};

} // namespace

std::string option_of(const diagnostic &d) { return "-W" + std::string(d.name); }

std::unique_ptr<diagnostic_output> text_output(std::FILE *out, bool color)
{
    return std::make_unique<text_form>(out, color, true);
}

std::unique_ptr<diagnostic_output> gcc_output(std::FILE *out)
{
    return std::make_unique<text_form>(out, false, false);
}

} // namespace pexilon_tool
