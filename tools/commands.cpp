// check, dump and json: read each file in turn into its own record and print.
#include "commands.h"

#include <algorithm>
#include <cstdio>

#include "diag/config_dump.h"
#include "json_record.h"
#include "loaded_config.h"

namespace pexilon_tool {

int run_check(const std::vector<std::string> &files)
{
    int worst = status_ok;
    for (const std::string &name : files) {
        const loaded_config file(name);
        if (file.ok())
            std::printf("%s: ok\n", name.c_str());
        else
            std::printf("%s\n", file.fault_line().c_str());
        worst = std::max<int>(worst, file.exit_status());
    }
    return worst;
}

int run_dump(const std::vector<std::string> &files)
{
    int worst = status_ok;
    for (const std::string &name : files) {
        const loaded_config file(name);
        worst = std::max<int>(worst, file.exit_status());
        // Standard output is buffered and standard error is not: flush before
        // each line to standard error so that the two keep their order when
        // they share a terminal or a file.
        std::fflush(stdout);
        if (files.size() > 1)
            std::fprintf(stderr, "==> %s <==\n", name.c_str());
        if (!file.ok())
            std::fprintf(stderr, "%s\n", file.fault_line().c_str());
        if (file.exit_status() == status_failed && file.result() < 0)
            continue; // nothing was read
        pexilon::dump_camera_settings(&file.record());
        pexilon::dump_param_entries(&file.record());
        std::fflush(stdout);
        pexilon::dump_controls(&file.record());
    }
    return worst;
}

int run_json(const std::vector<std::string> &files)
{
    int worst = status_ok;
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    for (const std::string &name : files) {
        const loaded_config file(name);
        worst = std::max<int>(worst, file.exit_status());
        all.push_back(to_json(file));
    }
    const nlohmann::ordered_json &shown = files.size() == 1 ? all.front() : all;
    // The record's texts are the file's bytes, which need not be UTF-8; the
    // replace handler turns each invalid byte into U+FFFD instead of throwing,
    // so the output is valid JSON whatever the file held.
    const std::string text =
        shown.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::printf("%s\n", text.c_str());
    return worst;
}

} // namespace pexilon_tool
