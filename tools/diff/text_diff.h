// Unified diffs of two texts, as `diff -au` writes them: every byte of a
// line is carried (a NUL byte too), and a last line without its newline is
// marked so, so that `patch` makes the new text from the old one exactly.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon::tool {

// The lines of a unified diff between two texts (split after each newline),
// with `context` unchanged lines around each change; "@@" lines, then lines
// that start with ' ', '-' or '+', each followed by "\ No newline at end of
// file" where its text has no newline. A line holds no newline of its own.
std::vector<std::string> unified_diff(std::string_view a, std::string_view b,
                                      std::size_t context = 3);

// Prints the lines of `diff` to `out` after "--- OLD" and "+++ NEW" (nothing
// when `diff` is empty and `always_header` is false); false when a write
// failed.
bool print_unified_diff(std::FILE *out, std::string_view old_label, std::string_view new_label,
                        const std::vector<std::string> &diff, bool always_header = false);

} // namespace pexilon::tool
