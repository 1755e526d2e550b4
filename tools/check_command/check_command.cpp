// pexilon-config check: every fault and every doubtful line of each file.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "check_commands.h"
#include "check_options.h"
#include "cli_options.h"
#include "diagnostic_output.h"
#include "loaded_config.h"
#include "output_check.h"
#include "shown_name.h"

namespace pexilon_tool {

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
                   diagnostic and note alone), json (GCC's JSON diagnostics)
                   or sarif (SARIF 2.1.0)
  --color=WHEN     auto (the default: on a terminal, unless NO_COLOR is
                   set), always or never
  -Wno-NAME        do not report the warning NAME; -WNAME reports it again
  --werror         treat warnings as errors for the exit status (also
                   -Werror)
  -h, --help       show this help and exit

Warnings: unknown-section unknown-key no-section continuation split-line
number-syntax number-range text-truncated value-count duplicate-key
control-range block-replaced block-ignored line-ends header-text
empty-value empty-item quoted-text leading-zero block-marker
control-incomplete duplicate-control.
Errors: no-separator unclosed-header too-many-values block-cut-off
block-unterminated read-error no-memory.

A warning is not a fault: the exit status is 1 only for errors, or for
warnings under --werror.
)help";

namespace {

std::unique_ptr<diagnostic_output> output_for(const check_options &options)
{
    switch (options.format) {
    case check_format::gcc:
        return gcc_output(stdout);
    case check_format::json:
        return json_output(stdout);
    case check_format::sarif:
        return sarif_output(stdout);
    case check_format::text:
        break;
    }
    return text_output(stdout, options.color);
}

} // namespace

int run_check_command(const std::vector<std::string> &args)
{
    check_options options;
    std::string error;
    if (!parse_check_options(args, options, error))
        return usage_failure("check", error);
    const std::unique_ptr<diagnostic_output> output = output_for(options);
    std::size_t errors = 0;
    std::size_t warnings = 0;
    bool unreadable = false;
    for (const std::string &file : options.files) {
        // The text forms show control characters in names as '?'; JSON
        // escapes them itself.
        const bool text_form =
            options.format == check_format::text || options.format == check_format::gcc;
        const std::string shown = file == "-" ? "<stdin>" : text_form ? shown_name(file) : file;
        const auto each = [&](const pexilon::check::diagnostic &d) {
            if (d.severity == PEXILON_CHECK_WARNING && options.silenced.count(d.name) != 0)
                return true;
            (d.severity == PEXILON_CHECK_ERROR ? errors : warnings) += 1;
            output->add(shown, d);
            return true;
        };
        const pexilon::check::summary s = file == "-"
                                              ? pexilon::check::check_stream(stdin, each)
                                              : pexilon::check::check_path(file.c_str(), each);
        if (s.parse_result == -1) {
            flush_output(stdout);
            std::fprintf(stderr, "pexilon-config: cannot open '%s': %s\n",
                         shown_name(shown).c_str(),
                         std::strerror(s.os_error != 0 ? s.os_error : EIO));
            unreadable = true;
        } else if (s.os_error != 0) {
            unreadable = true; // a read error: reported as an error, and exit 2
        }
    }
    output->finish(errors, warnings);
    if (unreadable)
        return status_failed;
    return errors != 0 || (options.werror && warnings != 0) ? status_faulty : status_ok;
}

} // namespace pexilon_tool
