// Writing a file's new contents so that a reader sees the old file or the
// new one, never a part of either.
#pragma once

#include <string>
#include <string_view>

namespace pexilon_tool {

// Replaces the file at `path` with `contents`: written to a temporary file in
// the same folder, flushed to the disk, given the old file's mode (and owner,
// where the process may give it) and renamed over it (over the file a
// symbolic link points to, which stays a link). On failure returns false with
// the reason in `error`; the old file is then as it was and no temporary file
// is left.
bool replace_file(const std::string &path, std::string_view contents, std::string &error);

} // namespace pexilon_tool
