// pexilon-config check: every fault and every doubtful line of each file.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <algorithm>

#include "check/fixits.h"
#include "check_commands.h"
#include "check_options.h"
#include "cli_options.h"
#include "diagnostic_output.h"
#include "diff/text_diff.h"
#include "fmt/replace_file.h"
#include "input/input_reading.h"
#include "loaded_config.h"
#include "output_check.h"
#include "shown_name.h"

namespace pexilon::tool {

const std::string_view check_synopsis = "[OPTIONS] [FILE...]";

const std::string_view check_help =
    R"help(Reports every faulty line of each FILE (errors: the lines the library
reports), and every line that the library reads differently from how it
looks (warnings), as a compiler does:

  FILE:LINE:COL: warning: MESSAGE [-WNAME]

followed by the source line with the offending text underlined (200 bytes
around it of a longer line, "..." where it is cut), hints and notes, and at
the end a summary such as "2 errors, 3 warnings". A file with
nothing to report prints nothing. Lines are numbered as editors number them.

Options:
  --format=FORMAT  text (the default), gcc (the first line of each
                   diagnostic and note alone), json (GCC's JSON diagnostics),
                   sarif (SARIF 2.1.0) or github (GitHub Actions workflow
                   commands: an annotation for each diagnostic, its hint
                   and notes in its message)
  --color=WHEN     auto (the default: on a terminal, unless NO_COLOR is
                   set), always or never
  -Wno-NAME        do not report the warning NAME; -WNAME reports it again
  --werror         treat warnings as errors for the exit status (also
                   -Werror)
  --fix            make every fix-it in place, then report what remains;
                   with FILE "-", write the fixed text to standard output
                   and the report to standard error
  --fix=NAME,...   make only the fix-its of the diagnostics NAME,...
  --fix-dry-run    print the fix-its as a unified diff; write nothing
  --no-inline-config
                   ignore the directives in comments (see below)
  -h, --help       show this help and exit

Warnings: unknown-section unknown-key no-section continuation split-line
number-syntax number-range text-truncated value-count duplicate-key
control-range block-replaced block-ignored line-ends header-text
empty-value empty-item quoted-text leading-zero block-marker
control-incomplete duplicate-control suppression reg-no-value.
Errors: no-separator unclosed-header too-many-values block-cut-off
block-unterminated read-error no-memory.

A fix-it is offered only where the repair is certain (a single "did you
mean", a unit after a number, a missing comma, an indented line, WIDTH and
HEIGHT lines meant as one SIZE line, a missing "=" after a key, the missing
"]" of a known section's header); a file is replaced whole (written beside
it, then renamed), or left as it was. After --fix the exit status is that
of what remains. --fix makes the fix-its in rounds: a fix-it that only the
text of an earlier round brings is said as "FILE:LINE: round 2: ..." (by
--fix-dry-run before its diff, by --fix on standard error).

A comment turns warnings off where the reader reads it as a comment (a
line of its own, or after a value or a header):
  ; pexilon-config: disable-next-line=unknown-section,unknown-key
  ; pexilon-config: disable-line=NAME,...   (after a value on its line)
  ; pexilon-config: disable=all   ... ; pexilon-config: enable=all
"=all" or no "=" means every warning; errors cannot be turned off. A
directive that names no warning or turns nothing off draws -Wsuppression.

A warning is not a fault: the exit status is 1 only for errors, or for
warnings under --werror.
)help";

namespace {

std::unique_ptr<diagnostic_output> output_for(const check_options &options, std::FILE *out)
{
    switch (options.format) {
    case check_format::gcc:
        return gcc_output(out);
    case check_format::json:
        return json_output(out);
    case check_format::sarif:
        return sarif_output(out);
    case check_format::github:
        return github_output(out);
    case check_format::text:
        break;
    }
    return text_output(out, options.color);
}

// `text` with the fix-its the options ask for made; `made` counts them,
// `each` gets them.
std::string fixed_text(const check_options &options, std::string_view text, std::size_t &made,
                       std::vector<pexilon::check::made_fix> &each)
{
    return pexilon::check::fix_all(
        text,
        [&](std::string_view name) {
            return options.fix_only.empty() ? options.silenced.count(name) == 0
                                            : options.fix_only.count(name) != 0;
        },
        made, &each);
}

// The fix-its that check did not show, since the text they fix came only
// with the fix-its made before them: "FILE:LINE: round 2: -WNAME: CHANGE",
// one a line.
void announce_rounds(std::FILE *out, const std::string &shown,
                     const std::vector<pexilon::check::made_fix> &each)
{
    for (const pexilon::check::made_fix &fix : each)
        if (fix.round > 1)
            std::fprintf(out, "%s:%zu: %s\n", shown.c_str(), fix.line,
                         shown_text(pexilon::check::round_words(fix)).c_str());
}

// What the files held, for the summary and the exit status.
struct check_totals {
    std::size_t errors = 0;
    std::size_t warnings = 0;
    bool unreadable = false;
};

// Makes the fix-its in `file` (or shows them, for a dry run), then reports
// what remains to `each`. False when the file could not be read whole: it
// is then left as it was, to be checked as a plain check does.
bool fix_then_check(const check_options &options, const std::string &file, const std::string &shown,
                    const pexilon::check::diagnostic_callback &each, check_totals &totals)
{
    // A file that a rewrite would damage is refused before it is read.
    if (std::string error;
        options.fix == fix_mode::apply && file != "-" && !replaceable(file, error)) {
        flush_output(stdout);
        std::fprintf(stderr, "pexilon-config: cannot write '%s': %s\n", shown_name(shown).c_str(),
                     error.c_str());
        totals.unreadable = true;
        return true;
    }
    const pexilon::input::loaded_input input =
        file == "-" ? pexilon::input::read_stream(stdin) : pexilon::input::read_path(file.c_str());
    if (input.opened && !input.read_failed) {
        std::size_t made = 0;
        std::vector<pexilon::check::made_fix> rounds;
        const std::string fixed = fixed_text(options, input.bytes.view(), made, rounds);
        bool written = true;
        std::string error;
        if (options.fix == fix_mode::dry_run) {
            // The fix-its of later rounds, then the diff of every round's.
            announce_rounds(stdout, shown, rounds);
            print_unified_diff(stdout, shown, shown, unified_diff(input.bytes.view(), fixed));
        } else {
            // Said on standard error before they are made: standard output
            // takes the report of what remains (or the fixed text).
            flush_output(stdout);
            announce_rounds(stderr, shown, rounds);
            if (file == "-")
                written = std::fwrite(fixed.data(), 1, fixed.size(), stdout) == fixed.size();
            else if (made != 0 && !replace_file(file, input.bytes.view(), fixed, error))
                written = false;
        }
        if (!written) {
            flush_output(stdout);
            std::fprintf(stderr, "pexilon-config: cannot write '%s': %s\n",
                         shown_name(shown).c_str(),
                         file == "-" ? std::strerror(errno) : error.c_str());
            totals.unreadable = true;
        }
        // What remains, in the file as it now is.
        pexilon::check::check_text(written ? std::string_view(fixed) : input.bytes.view(), each,
                                   options.inline_config);
        return true;
    }
    if (input.opened && input.read_failed) {
        flush_output(stdout);
        std::fprintf(stderr, "pexilon-config: '%s' could not be read to its end: not fixed\n",
                     shown_name(shown).c_str());
    }
    // Not opened, or not read whole: reported as a plain check does.
    return false;
}

void check_file(const check_options &options, const std::string &file, const std::string &shown,
                const pexilon::check::diagnostic_callback &each, check_totals &totals)
{
    const pexilon::check::summary s =
        file == "-" ? pexilon::check::check_stream(stdin, each, options.inline_config)
                    : pexilon::check::check_path(file.c_str(), each, options.inline_config);
    if (s.parse_result == -1) {
        flush_output(stdout);
        std::fprintf(stderr, "pexilon-config: cannot open '%s': %s\n", shown_name(shown).c_str(),
                     std::strerror(s.os_error != 0 ? s.os_error : EIO));
        totals.unreadable = true;
    } else if (s.os_error != 0) {
        totals.unreadable = true; // a read error: reported as an error, and exit 2
    }
}

} // namespace

int check_command(const std::vector<std::string> &args)
{
    check_options options;
    std::string error;
    if (!parse_check_options(args, options, error))
        return usage_failure("check", error);
    // Fixing standard input writes the fixed text to standard output, and
    // the report of what remains to standard error. A dry run's diff takes
    // standard output; its report is left out.
    const bool fixes_stdin =
        options.fix == fix_mode::apply &&
        std::find(options.files.begin(), options.files.end(), "-") != options.files.end();
    const std::unique_ptr<diagnostic_output> output =
        output_for(options, fixes_stdin ? stderr : stdout);
    check_totals totals;
    for (const std::string &file : options.files) {
        // The text forms show control characters in names as '?'; JSON
        // escapes them itself.
        const bool text_form =
            options.format == check_format::text || options.format == check_format::gcc;
        const std::string shown = file == "-" ? "<stdin>" : text_form ? shown_name(file) : file;
        const pexilon::check::diagnostic_callback each = [&](const pexilon::check::diagnostic &d) {
            if (d.severity == PEXILON_CHECK_WARNING && options.silenced.count(d.name()) != 0)
                return true;
            (d.severity == PEXILON_CHECK_ERROR ? totals.errors : totals.warnings) += 1;
            if (options.fix != fix_mode::dry_run)
                output->add(shown, d);
            return true;
        };
        if (options.fix == fix_mode::none || !fix_then_check(options, file, shown, each, totals))
            check_file(options, file, shown, each, totals);
    }
    if (options.fix != fix_mode::dry_run)
        output->finish(totals.errors, totals.warnings);
    if (totals.unreadable)
        return status_failed;
    return totals.errors != 0 || (options.werror && totals.warnings != 0) ? status_faulty
                                                                          : status_ok;
}

} // namespace pexilon::tool
