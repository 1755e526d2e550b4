// Splitting a subcommand's arguments and finding its input files.
#include "cli_options.h"

#include <algorithm>
#include <unistd.h>

#include "check/suggestions.h"
#include "loaded_config.h"

namespace pexilon::tool {

namespace {

const option_def *find_long(const std::vector<option_def> &defs, std::string_view name)
{
    for (const option_def &def : defs)
        if (!def.long_name.empty() && def.long_name == name)
            return &def;
    return nullptr;
}

const option_def *find_short(const std::vector<option_def> &defs, char name)
{
    for (const option_def &def : defs)
        if (def.short_name != 0 && def.short_name == name)
            return &def;
    return nullptr;
}

// "--name", "--name=value" or "--name value" at args[i]; moves i past a
// separate value.
bool take_long(const std::vector<std::string> &args, std::size_t &i,
               const std::vector<option_def> &defs, parsed_arguments &result, std::string &error)
{
    const std::string_view arg = std::string_view(args[i]).substr(2);
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const option_def *def = find_long(defs, name);
    if (def == nullptr) {
        std::vector<std::string> names;
        for (const option_def &each : defs)
            if (!each.long_name.empty())
                names.emplace_back(each.long_name);
        error = "unknown option '--" + std::string(name) + "'" + did_you_mean(name, names, "--");
        return false;
    }
    if (!def->takes_value) {
        if (equals != std::string_view::npos) {
            error = "option '--" + std::string(name) + "' takes no value";
            return false;
        }
        result.options.push_back({def->id, {}});
        return true;
    }
    if (equals != std::string_view::npos) {
        result.options.push_back({def->id, std::string(arg.substr(equals + 1))});
        return true;
    }
    if (i + 1 >= args.size()) {
        error = "option '--" + std::string(name) + "' needs a value";
        return false;
    }
    result.options.push_back({def->id, args[++i]});
    return true;
}

// "-a", "-abc" (flags bundled), "-Xvalue" or "-X value" at args[i].
bool take_short(const std::vector<std::string> &args, std::size_t &i,
                const std::vector<option_def> &defs, parsed_arguments &result, std::string &error)
{
    const std::string &arg = args[i];
    for (std::size_t at = 1; at < arg.size(); ++at) {
        const option_def *def = find_short(defs, arg[at]);
        if (def == nullptr) {
            error = std::string("unknown option '-") + arg[at] + "'";
            return false;
        }
        if (!def->takes_value) {
            result.options.push_back({def->id, {}});
            continue;
        }
        if (at + 1 < arg.size()) {
            result.options.push_back({def->id, arg.substr(at + 1)});
            return true;
        }
        if (i + 1 >= args.size()) {
            error = std::string("option '-") + arg[at] + "' needs a value";
            return false;
        }
        result.options.push_back({def->id, args[++i]});
        return true;
    }
    return true;
}

} // namespace

bool parse_arguments(const std::vector<std::string> &args, const std::vector<option_def> &defs,
                     parsed_arguments &result, std::string &error)
{
    result = parsed_arguments{};
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (options_done || arg.size() < 2 || arg[0] != '-') {
            result.operands.push_back(arg);
        } else if (arg == "--") {
            options_done = true;
        } else if (arg[1] == '-') {
            if (!take_long(args, i, defs, result, error))
                return false;
        } else if (!take_short(args, i, defs, result, error)) {
            return false;
        }
    }
    return true;
}

bool input_files(std::vector<std::string> operands, std::vector<std::string> &files,
                 std::string &error)
{
    if (operands.empty()) {
        if (isatty(STDIN_FILENO)) {
            error = "no FILE given, and standard input is a terminal";
            return false;
        }
        operands.emplace_back("-");
    }
    if (std::count(operands.begin(), operands.end(), "-") > 1) {
        error = "standard input ('-') can be read only once";
        return false;
    }
    files = std::move(operands);
    return true;
}

int usage_failure(std::string_view subcommand, const std::string &error)
{
    const std::string where = subcommand.empty() ? "" : " " + std::string(subcommand);
    std::fprintf(stderr,
                 "pexilon-config: %s\nTry 'pexilon-config%s --help' for more information.\n",
                 error.c_str(), where.c_str());
    return status_failed;
}

std::string did_you_mean(std::string_view written, const std::vector<std::string> &names,
                         std::string_view prefix)
{
    const std::string near = pexilon::check::nearest_name(written, names);
    return near.empty() ? std::string() : "; did you mean '" + std::string(prefix) + near + "'?";
}

} // namespace pexilon::tool
