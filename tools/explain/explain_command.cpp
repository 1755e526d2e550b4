// pexilon-config explain: each line of a file, as an editor numbers it,
// beside what the reader and the interpreter made of it.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "check/explained_lines.h"
#include "check_command/check_commands.h"
#include "cli_options.h"
#include "input/input_reading.h"
#include "loaded_config.h"
#include "shown_name.h"

namespace pexilon::tool {

const std::string_view explain_synopsis = "[--lines A-B] FILE";

const std::string_view explain_help =
    R"help(Prints each line of FILE, numbered as an editor numbers it, beside what the
library made of it: a comment, a section and its code, the record fields a
line set ("camera.width = 1440, camera.height = 1080", "params[3] = REG
0x3000, 0x01"), a continuation and what it replaced, a line ignored and
why, a faulty line. A line longer than 199 bytes is read in pieces; each
piece is explained on a line of its own, and where the library's line
number differs from the editor's it is given as "(read as line N)".

Options:
  --lines A-B  only lines A to B (A-, -B and A also work)
  -h, --help   show this help and exit

Exit status: 0 when the file was read, 2 when it could not be opened or
read, or the command line is wrong.
)help";

namespace {

constexpr std::size_t source_width = 40;

bool read_number(std::string_view text, std::size_t &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() && value != 0;
}

bool read_range(std::string_view text, std::size_t &first, std::size_t &last)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        return read_number(text, first) && (last = first, true);
    const std::string_view a = text.substr(0, dash);
    const std::string_view b = text.substr(dash + 1);
    if ((!a.empty() && !read_number(a, first)) || (!b.empty() && !read_number(b, last)))
        return false;
    return first <= last && !(a.empty() && b.empty());
}

// The source as one column of the listing: control characters and tabs
// shown as '?' and ' ', cut to the column's width.
std::string source_column(std::string_view line)
{
    std::string out;
    for (const char c : line) {
        if (out.size() == source_width) {
            out.replace(source_width - 3, 3, "...");
            break;
        }
        out += c == '\t' ? ' ' : (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    }
    out.resize(source_width, ' ');
    return shown_text(out); // the C1 controls, which are two bytes
}

} // namespace

int explain_command(const std::vector<std::string> &args)
{
    enum { opt_lines };
    parsed_arguments parsed;
    std::vector<std::string> files;
    std::string error;
    if (!parse_arguments(args, {{"lines", 0, true, opt_lines}}, parsed, error) ||
        !input_files(parsed.operands, files, error))
        return usage_failure("explain", error);
    if (files.size() != 1)
        return usage_failure("explain", "one FILE at a time");
    const std::string &file = files.front();
    std::size_t first = 1;
    std::size_t last = static_cast<std::size_t>(-1);
    for (const given_option &option : parsed.options)
        if (!read_range(option.value, first, last))
            return usage_failure("explain", "invalid line range '" + option.value + "'");
    const pexilon::input::loaded_input input =
        file == "-" ? pexilon::input::read_stream(stdin) : pexilon::input::read_path(file.c_str());
    if (!input.opened || input.read_failed) {
        std::fprintf(stderr, "pexilon-config: cannot %s '%s': %s\n", input.opened ? "read" : "open",
                     file == "-" ? "<stdin>" : shown_name(file).c_str(),
                     std::strerror(input.os_error != 0 ? input.os_error : EIO));
        return status_failed;
    }
    for (const pexilon::check::explained_line &a :
         pexilon::check::explain_text(input.bytes.view())) {
        if (a.editor_line < first || a.editor_line > last)
            continue;
        const std::string shown =
            a.piece == 1 ? source_column(a.source) : std::string(source_width, ' ');
        // The account quotes the file (a name, a value): shown as the source is.
        std::printf("%5zu  %s  %s", a.editor_line, shown.c_str(), shown_text(a.text).c_str());
        if (a.reader_line != a.editor_line)
            std::printf(" (read as line %zu)", a.reader_line);
        std::printf("\n");
    }
    return status_ok;
}

} // namespace pexilon::tool
