#include "check_options.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

#include "check/checker.h"
#include "cli_options.h"

namespace pexilon::tool {

namespace {

enum check_option { opt_format, opt_color, opt_werror, opt_warning, opt_no_inline };

const std::vector<option_def> check_options_defs = {
    {"format", 0, true, opt_format},  {"color", 0, true, opt_color},
    {"werror", 0, false, opt_werror}, {"no-inline-config", 0, false, opt_no_inline},
    {"", 'W', true, opt_warning}, // -WNAME, -Wno-NAME, -Werror
};

enum class color_choice { automatic, always, never };

bool read_color(std::string_view value, color_choice &choice)
{
    if (value == "auto")
        choice = color_choice::automatic;
    else if (value == "always")
        choice = color_choice::always;
    else if (value == "never")
        choice = color_choice::never;
    else
        return false;
    return true;
}

bool read_format(std::string_view value, check_format &format)
{
    if (value == "text")
        format = check_format::text;
    else if (value == "gcc")
        format = check_format::gcc;
    else if (value == "json")
        format = check_format::json;
    else if (value == "sarif")
        format = check_format::sarif;
    else if (value == "github")
        format = check_format::github;
    else
        return false;
    return true;
}

// The value of -W: "NAME" or "no-NAME" for a warning, or "error".
bool read_warning_switch(std::string_view value, check_options &result, std::string &error)
{
    if (value == "error") {
        result.werror = true;
        return true;
    }
    std::string_view name = value;
    // "no-separator" is the name of an error, not "no-" and "separator".
    const bool off = name.substr(0, 3) == "no-" && pexilon::check::find_kind(name) == nullptr;
    if (off)
        name.remove_prefix(3);
    const pexilon::check::diagnostic_kind *kind = pexilon::check::find_kind(name);
    if (kind == nullptr) {
        std::vector<std::string> names;
        for (const pexilon::check::diagnostic_kind &each : pexilon::check::diagnostic_kinds())
            if (each.severity == PEXILON_CHECK_WARNING)
                names.emplace_back(each.name);
        error = "unknown warning '" + std::string(name) + "' in '-W" + std::string(value) + "'" +
                did_you_mean(name, names, off ? "-Wno-" : "-W");
        return false;
    }
    if (kind->severity != PEXILON_CHECK_WARNING) {
        error = "'" + std::string(name) + "' is an error and cannot be turned off";
        return false;
    }
    if (off)
        result.silenced.emplace(name);
    else
        result.silenced.erase(std::string(name));
    return true;
}

// Colour only on a terminal, and not when NO_COLOR asks for none, unless
// --color=always says otherwise.
bool use_color(color_choice choice)
{
    if (choice != color_choice::automatic)
        return choice == color_choice::always;
    const char *no_color = std::getenv("NO_COLOR");
    if (no_color != nullptr && no_color[0] != '\0')
        return false;
    const char *term = std::getenv("TERM");
    if (term != nullptr && std::string_view(term) == "dumb")
        return false;
    return isatty(STDOUT_FILENO) == 1;
}

// Takes --fix, --fix=NAME,... and --fix-dry-run out of `args` (before a
// "--"): --fix has a value only when it is joined with "=".
bool take_fix_options(std::vector<std::string> &args, check_options &result, std::string &error)
{
    for (auto it = args.begin(); it != args.end() && *it != "--";) {
        const std::string_view arg = *it;
        if (arg == "--fix-dry-run") {
            result.fix = fix_mode::dry_run;
        } else if (arg == "--fix" || arg.substr(0, 6) == "--fix=") {
            if (result.fix == fix_mode::none)
                result.fix = fix_mode::apply;
            std::string_view names = arg.size() > 5 ? arg.substr(6) : std::string_view();
            if (arg.size() > 5 && names.empty()) {
                error = "'--fix=' needs the names of diagnostics";
                return false;
            }
            while (!names.empty()) {
                const std::string_view name = names.substr(0, names.find(','));
                names.remove_prefix(std::min(names.size(), name.size() + 1));
                // Errors have fix-its too (no-separator, unclosed-header).
                if (pexilon::check::find_kind(name) == nullptr) {
                    error = "unknown diagnostic '" + std::string(name) + "' in '" +
                            std::string(arg) + "'";
                    return false;
                }
                result.fix_only.emplace(name);
            }
        } else {
            ++it;
            continue;
        }
        it = args.erase(it);
    }
    return true;
}

} // namespace

bool parse_check_options(const std::vector<std::string> &args, check_options &result,
                         std::string &error)
{
    result = check_options{};
    std::vector<std::string> rest = args;
    if (!take_fix_options(rest, result, error))
        return false;
    parsed_arguments parsed;
    if (!parse_arguments(rest, check_options_defs, parsed, error))
        return false;
    color_choice color = color_choice::automatic;
    for (const given_option &option : parsed.options) {
        bool ok = true;
        switch (option.id) {
        case opt_format:
            ok = read_format(option.value, result.format);
            break;
        case opt_color:
            ok = read_color(option.value, color);
            break;
        case opt_werror:
            result.werror = true;
            break;
        case opt_no_inline:
            result.inline_config = false;
            break;
        case opt_warning:
            if (!read_warning_switch(option.value, result, error))
                return false;
            break;
        }
        if (!ok) {
            error = "invalid value '" + option.value + "' for '--" +
                    (option.id == opt_format ? "format" : "color") + "'";
            return false;
        }
    }
    if (!input_files(parsed.operands, result.files, error))
        return false;
    result.color = use_color(color);
    return true;
}

} // namespace pexilon::tool
