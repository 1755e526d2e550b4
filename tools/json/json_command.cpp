// json: each file's record as JSON, written as it is read.
#include <algorithm>
#include <cstdio>

#include "cli_options.h"
#include "commands.h"
#include "json_record.h"
#include "loaded_config.h"
#include "output_check.h"

namespace pexilon::tool {

const std::string_view json_help =
    R"(Prints the record as JSON on standard output: one object per file with
"file", "result", "error", "camera", "entries" and "controls"; an array of
them when several files are given. A file that cannot be opened or read
gives an object with its "error" and null for the rest, and the error on
standard error too. Each file is written as soon as it is read.

Each entry has "section" (the reader's name, "board parameter||dev2"),
"header" (as written, "[board parameter][dev2]"), "key", "type", "values"
and "line"; each control its fields, "code" and "line". "line" is the
editor line that made it, as check and explain number lines: an entry's own
line (a continuation line for the entry it makes), a control's
"[control parameter]" header.

Text fields are copied byte for byte. Bytes that are not valid UTF-8 become
U+FFFD: each byte that cannot begin a character becomes one, and a sequence
that begins well but breaks off becomes one for the bytes read so far (the
byte that broke it is then read on its own). The output is always valid
UTF-8 and valid JSON.

Options:
  --compact  write each document on one line
  --hex      write the type and the values of entries as "0x..." strings,
             as the dump shows them, instead of numbers
  -h, --help show this help and exit
)";

namespace {

enum json_option { json_compact, json_hex };

} // namespace

int json_command(const std::vector<std::string> &args)
{
    static const std::vector<option_def> defs{{"compact", 0, false, json_compact},
                                              {"hex", 0, false, json_hex}};
    parsed_arguments parsed;
    std::vector<std::string> files;
    std::string error;
    if (!parse_arguments(args, defs, parsed, error) || !input_files(parsed.operands, files, error))
        return usage_failure("json", error);
    const auto given = [&parsed](int id) {
        return std::any_of(parsed.options.begin(), parsed.options.end(),
                           [id](const given_option &o) { return o.id == id; });
    };
    json_writer out(stdout, given(json_compact));
    const bool hex = given(json_hex);
    const bool several = files.size() > 1;
    int worst = status_ok;
    if (several)
        out.begin_array();
    for (const std::string &name : files) {
        pexilon::check::record_trace trace;
        const loaded_config file(name, trace);
        worst = std::max<int>(worst, file.exit_status());
        write_record(out, file, trace, hex);
        if (file.exit_status() == status_failed) {
            flush_output(stdout);
            std::fprintf(stderr, "%s\n", file.fault_line().c_str());
        }
        if (std::ferror(stdout))
            break; // the rest would be lost too; main reports the error
    }
    if (several)
        out.end_array();
    out.finish();
    return worst;
}

} // namespace pexilon::tool
