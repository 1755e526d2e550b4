// pexilon-config: checks, dumps and converts camera module configuration files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include "cli_options.h"
#include "commands.h"
#include "loaded_config.h"

namespace {

int run(const pexilon_tool::options &opts)
{
    using pexilon_tool::command;
    switch (opts.what) {
    case command::help:
        pexilon_tool::print_help(stdout);
        return pexilon_tool::status_ok;
    case command::version:
        pexilon_tool::print_version(stdout);
        return pexilon_tool::status_ok;
    case command::check:
        return pexilon_tool::run_check(opts.files);
    case command::dump:
        return pexilon_tool::run_dump(opts.files);
    case command::json:
        return pexilon_tool::run_json(opts.files);
    }
    return pexilon_tool::status_failed;
}

} // namespace

int main(int argc, char **argv)
{
    pexilon_tool::options opts;
    std::string error;
    if (!pexilon_tool::parse_options(argc, argv, opts, error)) {
        pexilon_tool::print_usage_error(error);
        return pexilon_tool::status_failed;
    }
    int status = pexilon_tool::status_failed;
    try {
        status = run(opts);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "pexilon-config: %s\n", e.what());
        return pexilon_tool::status_failed;
    }
    // A full disk or a closed pipe must not pass for success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "pexilon-config: write error: %s\n", std::strerror(errno));
        return pexilon_tool::status_failed;
    }
    return status;
}
