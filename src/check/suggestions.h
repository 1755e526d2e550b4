// "Did you mean": the nearest name of a vocabulary to a misspelt one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pexilon::check {

// The candidate nearest to `written`: equal but for letter case and the
// spaces around it, or within one typo (two for names of more than four
// characters). Empty when none is that near.
std::string nearest_name(std::string_view written, const std::vector<std::string> &candidates);

// Every candidate as near as the nearest: one name when the suggestion is
// certain, more when two are equally near, none when none is near.
std::vector<std::string> nearest_names(std::string_view written,
                                       const std::vector<std::string> &candidates);

} // namespace pexilon::check
