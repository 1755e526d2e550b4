// The check's output as GitHub Actions workflow commands: one
// "::warning file=...,line=...,col=...::MESSAGE" line for each diagnostic,
// which the runner turns into an annotation on the pull request. Hints,
// notes and what a fix-it would change go into the same message, on lines of
// their own, since an annotation has no notes.
#include <algorithm>
#include <string>
#include <string_view>

#include "diagnostic_output.h"

namespace pexilon::tool {

namespace {

// A workflow command's message: "%", CR and LF are escaped; the runner
// takes everything else as it stands.
std::string escaped_data(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

// A property value (file=..., title=...): also ":" and ",", which would end
// the property or the command.
std::string escaped_property(std::string_view text)
{
    std::string out;
    for (const char c : escaped_data(text)) {
        if (c == ':')
            out += "%3A";
        else if (c == ',')
            out += "%2C";
        else
            out += c;
    }
    return out;
}

// "LINE:COL" of a note, as the gcc form writes it.
std::string note_place(std::size_t line, std::size_t column)
{
    return std::to_string(line) + (column != 0 ? ":" + std::to_string(column) : "");
}

std::string message_of(const pexilon::check::diagnostic &d)
{
    std::string message(d.message.view());
    if (!d.hint.empty())
        message += "\nhint: " + std::string(d.hint.view());
    for (const pexilon::check::note &n : d.notes)
        message +=
            "\nnote: line " + note_place(n.where.line, n.where.display_column) + ": " + n.message;
    if (!d.fixes.empty() && !d.fixes.front().change.empty())
        message += "\nfix-it: " + d.fixes.front().change;
    return message;
}

class github_form final : public diagnostic_output {
public:
    explicit github_form(std::FILE *out) : out_(out) {}

    void add(const std::string &file, const pexilon::check::diagnostic &d) override
    {
        std::string line = d.severity == PEXILON_CHECK_ERROR ? "::error " : "::warning ";
        line += "file=" + escaped_property(file) + ",line=" + std::to_string(d.where.line);
        // The end column of an annotation is its last character's.
        if (d.where.column != 0)
            line +=
                ",col=" + std::to_string(d.where.display_column) + ",endColumn=" +
                std::to_string(std::max(d.where.display_column, d.where.display_end_column - 1));
        line += ",title=" + escaped_property("pexilon-config [" + bracketed_name(d) + "]");
        line += "::" + escaped_data(message_of(d)) + "\n";
        std::fwrite(line.data(), 1, line.size(), out_);
    }

    void finish(std::size_t, std::size_t) override {}

private:
    std::FILE *out_;
};

} // namespace

std::unique_ptr<diagnostic_output> github_output(std::FILE *out)
{
    return std::make_unique<github_form>(out);
}

} // namespace pexilon::tool
