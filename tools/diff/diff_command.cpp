// diff: compares the records two files yield, not their text.
#include <cstdio>

#include "cli_options.h"
#include "commands.h"
#include "diff/diff_output.h"
#include "diff/record_diff.h"
#include "loaded_config.h"
#include "output_check.h"

namespace pexilon::tool {

const std::string_view diff_help =
    R"(Compares the records that two files yield, not their text: formatting,
comments, "=" against ":", continuation lines and the order of camera keys
make no difference. Reports, on standard output:
  - camera settings that differ, field by field;
  - board and register entries, group by group (section kind and variant),
    aligned in file order as diff(1) aligns lines, so that one inserted
    entry does not make every later one differ: each is "added",
    "removed", or "changed" (two REG writes to one address, else in
    place), shown as the dump shows it (the key,
    then the numbers in hexadecimal) with the line it came from in each
    file as FILE:LINE;
  - controls, matched by CTRL_NAME (the k-th of a name with the k-th of the
    same name in the other file), the rest in order of position: the fields
    that differ, and a unified diff of their code texts (its lines numbered
    from the first line of the code).
Nothing is printed when the records are the same. A file with a faulty line
is still compared; the fault is reported on standard error, as 'check'
reports it.

Options:
  --format=FORMAT  text (the default) or json: one object with "a", "b",
                   "same", "camera", "entries" and "controls"
  -h, --help       show this help and exit

Exit status: 0 the records are the same, 1 they differ, 2 trouble (a file
could not be opened or read, or the command line is wrong).
)";

namespace {

enum diff_option { diff_format };

} // namespace

int diff_command(const std::vector<std::string> &args)
{
    static const std::vector<option_def> defs{{"format", 0, true, diff_format}};
    parsed_arguments parsed;
    std::string error;
    if (!parse_arguments(args, defs, parsed, error))
        return usage_failure("diff", error);
    bool json = false;
    for (const given_option &option : parsed.options) {
        if (option.value != "text" && option.value != "json")
            return usage_failure("diff",
                                 "unknown format '" + option.value + "' (choose text or json)");
        json = option.value == "json";
    }
    if (parsed.operands.size() != 2)
        return usage_failure("diff", "diff compares two files, " +
                                         std::to_string(parsed.operands.size()) + " given");
    std::vector<std::string> files;
    if (!input_files(parsed.operands, files, error))
        return usage_failure("diff", error);

    pexilon::check::record_trace trace_a, trace_b;
    const loaded_config a(files[0], trace_a);
    const loaded_config b(files[1], trace_b);
    bool failed = false;
    for (const loaded_config *file : {&a, &b}) {
        if (file->ok())
            continue;
        flush_output(stdout);
        std::fprintf(stderr, "%s\n", file->fault_line().c_str());
        failed = failed || file->exit_status() == status_failed;
    }
    if (failed)
        return status_failed;
    const record_diff diff = compare_records(a.record(), b.record());
    const compared_file side_a{a, trace_a}, side_b{b, trace_b};
    if (json)
        write_diff_json(diff, side_a, side_b);
    else
        write_diff_text(diff, side_a, side_b);
    return diff.same() ? status_ok : status_faulty;
}

} // namespace pexilon::tool
