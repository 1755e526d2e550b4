// dump: read each file in turn into its own record and print.
#include "commands.h"

#include <algorithm>
#include <cstdio>

#include "cli_options.h"
#include "dump/config_dump.h"
#include "loaded_config.h"
#include "output_check.h"
#include "shown_name.h"

namespace pexilon::tool {

const std::string_view dump_help =
    R"(Prints the record in the library's diagnostic layout, in file order: the
camera settings, then the board and register entries (a "[0xKKVV]" header
before each group of section kind KK and variant VV, then one line of
numbers per entry), then the control entries with their code texts. With
several files a "==> FILE <==" line starts each. A faulty file is still
printed; its fault goes to standard error as "FILE:LINE: error: REASON".

Options:
  --split-streams  write as the library's dump routines do: camera
                   settings, group headers and controls on standard error,
                   the numbers of the entries on standard output
  -h, --help       show this help and exit
)";

namespace {

enum dump_option { dump_split_streams };

// One file's dump: numbers to `out`, everything else to `err` (the same
// stream unless the streams are split).
void dump_file(const loaded_config &file, bool several, std::FILE *out, std::FILE *err)
{
    // Standard output is buffered and standard error is not: flush before
    // each line to standard error so that the two keep their order when
    // they share a terminal or a file.
    flush_output(stdout);
    if (several)
        std::fprintf(err, "==> %s <==\n", shown_name(file.name()).c_str());
    if (!file.ok()) {
        flush_output(stdout);
        std::fprintf(stderr, "%s\n", file.fault_line().c_str());
    }
    if (file.result() < 0)
        return; // nothing was read
    pexilon::dump_camera_settings(&file.record(), err);
    pexilon::dump_param_entries(&file.record(), out, err);
    flush_output(out);
    pexilon::dump_controls(&file.record(), err);
}

} // namespace

int dump_command(const std::vector<std::string> &args)
{
    static const std::vector<option_def> defs{{"split-streams", 0, false, dump_split_streams}};
    parsed_arguments parsed;
    std::vector<std::string> files;
    std::string error;
    if (!parse_arguments(args, defs, parsed, error) || !input_files(parsed.operands, files, error))
        return usage_failure("dump", error);
    const bool split = !parsed.options.empty();
    int worst = status_ok;
    for (const std::string &name : files) {
        const loaded_config file(name);
        worst = std::max<int>(worst, file.exit_status());
        dump_file(file, files.size() > 1, stdout, split ? stderr : stdout);
    }
    return worst;
}

} // namespace pexilon::tool
