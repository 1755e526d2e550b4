// The three commands of pexilon-config. Each returns the exit status.
#pragma once

#include <string>
#include <vector>

namespace pexilon_tool {

int run_check(const std::vector<std::string> &files);
int run_dump(const std::vector<std::string> &files);
int run_json(const std::vector<std::string> &files);

} // namespace pexilon_tool
