// pexilon-config fmt: each file in the canonical layout, and never a changed
// record.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli_options.h"
#include "commands.h"
#include "diff/text_diff.h"
#include "fmt/replace_file.h"
#include "format/formatter.h"
#include "input/input_reading.h"
#include "loaded_config.h"
#include "output_check.h"
#include "shown_name.h"

namespace pexilon::tool {

const std::string_view fmt_help =
    R"(Lays each FILE out in the one layout of this dialect and prints the result
on standard output (with -i, writes it back; with --check or --diff, shows
what would change). The layout:
  - section headers flush left, one blank line before each section (before
    the comments right above its header), none at the start or the end;
  - "NAME = value" (":" where a section or the file uses it throughout),
    the numbers of a value joined by ", ", hexadecimal digits in one case;
    an inline comment one blank after the value;
  - continuation lines indented by four blanks (under the value's first
    item where the author put them there); comments flush left;
  - one blank line for a run of them; no white space at the end of a line.
Left as they are: code blocks with their markers (their text is the
record), faulty lines, every line on which check draws a warning, to the
last byte and indentation included (laid out, a mistake would look
intended), lines over 199 bytes (read in pieces), text values
(TYPE, CTRL_NAME, FUNC_NAME), values that are not plain numbers, and any
line the layout would make longer than 199 bytes. Line ends and a
byte-order mark are kept; a file whose lines end in CR alone, which the
reader takes for one line, is left as it is. In a file with faulty lines
no line is added or removed up to the last faulty one, so that every fault
keeps its line.

Every result is read again before it is written: if its record, its parse
result or any fault's line differs from the old text's, nothing is written
for that file, the first difference is reported and the exit status is 2.

Options:
  -i, --in-place     rewrite each FILE that changes (a temporary file beside
                     it, flushed and renamed over it; owner, mode, ACL and
                     extended attributes are kept). Refused for a file that
                     is not regular, has other hard links, may not be
                     written, or changed while it was being rewritten
  --check            write nothing; name each FILE that would change
                     ("would reformat FILE") and exit 1 if any would
  --diff             print a unified diff of each change instead of the text
                     and exit 1 if any file would change, as --check does
  --align            line up the "=" of the name/value lines of a section
  --hex-case=CASE    upper (the default, 0x1A), lower (0x1a) or keep
  -h, --help         show this help and exit

A FILE of "-" is standard input, which may be named once; with no FILE,
standard input is read unless it is a terminal (not with -i).

Exit status:
  0  done (--check, --diff: no file would change)
  1  --check, --diff: a file would change
  2  a file could not be read or written, its layout would change its
     record or move a fault (it is left alone), memory ran out, output
     could not be written, or the command line is wrong
)";

namespace {

enum fmt_option_id { opt_in_place, opt_check, opt_diff, opt_align, opt_hex_case };

struct fmt_settings {
    pexilon::format::format_options layout;
    bool in_place = false;
    bool check = false;
    bool diff = false;
    std::vector<std::string> files;
};

bool parse_fmt_options(const std::vector<std::string> &args, fmt_settings &settings,
                       std::string &error)
{
    static const std::vector<option_def> defs{{"in-place", 'i', false, opt_in_place},
                                              {"check", 0, false, opt_check},
                                              {"diff", 0, false, opt_diff},
                                              {"align", 0, false, opt_align},
                                              {"hex-case", 0, true, opt_hex_case}};
    parsed_arguments parsed;
    if (!parse_arguments(args, defs, parsed, error))
        return false;
    for (const given_option &option : parsed.options) {
        switch (option.id) {
        case opt_in_place:
            settings.in_place = true;
            break;
        case opt_check:
            settings.check = true;
            break;
        case opt_diff:
            settings.diff = true;
            break;
        case opt_align:
            settings.layout.align = true;
            break;
        case opt_hex_case:
            if (option.value == "upper") {
                settings.layout.digits = pexilon::format::hex_case::upper;
            } else if (option.value == "lower") {
                settings.layout.digits = pexilon::format::hex_case::lower;
            } else if (option.value == "keep") {
                settings.layout.digits = pexilon::format::hex_case::keep;
            } else {
                error = "unknown hex case '" + option.value + "' (choose upper, lower or keep)";
                return false;
            }
            break;
        default:
            break;
        }
    }
    if (settings.in_place && (settings.check || settings.diff)) {
        error = "--in-place writes the files; it goes with neither --check nor --diff";
        return false;
    }
    if (!input_files(parsed.operands, settings.files, error))
        return false;
    if (settings.in_place) {
        for (const std::string &file : settings.files) {
            if (file == "-") {
                error = "--in-place cannot rewrite standard input";
                return false;
            }
        }
    }
    return true;
}

void complain(const std::string &shown, const std::string &what)
{
    flush_output(stdout);
    std::fprintf(stderr, "pexilon-config: %s: %s\n", shown.c_str(), what.c_str());
}

// Formats one file as the settings say; returns its exit status.
int format_file(const std::string &file, const fmt_settings &settings)
{
    const std::string shown = file == "-" ? "<stdin>" : shown_name(file);
    if (std::string error; settings.in_place && !replaceable(file, error)) {
        complain(shown, "not rewritten: " + error);
        return status_failed;
    }
    const pexilon::input::loaded_input input =
        file == "-" ? pexilon::input::read_stream(stdin) : pexilon::input::read_path(file.c_str());
    if (!input.opened || input.read_failed) {
        complain(shown, std::string(input.opened ? "cannot read" : "cannot open") + ": " +
                            std::strerror(input.os_error != 0 ? input.os_error : EIO));
        return status_failed;
    }
    const pexilon::format::format_result result =
        pexilon::format::format_text(input.bytes.view(), settings.layout);
    if (!result.formatted) {
        const std::string at = result.line != 0 ? ":" + std::to_string(result.line) : "";
        flush_output(stdout);
        std::fprintf(stderr, "pexilon-config: %s%s: not formatted: %s\n", shown.c_str(), at.c_str(),
                     result.reason.c_str());
        return status_failed;
    }
    const bool changes = result.text != input.bytes.view();
    if (settings.check || settings.diff) {
        if (changes && settings.diff)
            print_unified_diff(stdout, shown, shown + " (formatted)",
                               unified_diff(input.bytes.view(), result.text), true);
        if (changes && settings.check && !settings.diff)
            std::printf("would reformat %s\n", shown.c_str());
        return changes ? status_faulty : status_ok;
    }
    if (settings.in_place) {
        std::string error;
        if (changes && !replace_file(file, input.bytes.view(), result.text, error)) {
            complain(shown, "not rewritten: " + error);
            return status_failed;
        }
        return status_ok;
    }
    std::fwrite(result.text.data(), 1, result.text.size(), stdout);
    return status_ok;
}

} // namespace

int fmt_command(const std::vector<std::string> &args)
{
    fmt_settings settings;
    std::string error;
    if (!parse_fmt_options(args, settings, error))
        return usage_failure("fmt", error);
    int status = status_ok;
    for (const std::string &file : settings.files)
        status = std::max(status, format_file(file, settings));
    return status;
}

} // namespace pexilon::tool
