// `pexilon-config check` and `pexilon-config explain`: each takes the
// arguments after its name and returns the exit status.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pexilon::tool {

extern const std::string_view check_synopsis;
extern const std::string_view check_help;
int check_command(const std::vector<std::string> &args);

extern const std::string_view explain_synopsis;
extern const std::string_view explain_help;
int explain_command(const std::vector<std::string> &args);

} // namespace pexilon::tool
