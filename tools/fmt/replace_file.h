// Writing a file's new contents so that a reader sees the old file or the
// new one, never a part of either, and so that the file stays what it was in
// every other respect: its kind, its links, its owner, its mode, its ACL and
// extended attributes.
#pragma once

#include <string>
#include <string_view>

namespace pexilon::tool {

// Whether the file at `path` can be replaced as replace_file does: a regular
// file (after symbolic links) with one name, that may be written. Asked
// before the file is read, so that a FIFO or a device is never read to be
// rewritten. On false, `error` says why.
bool replaceable(const std::string &path, std::string &error);

// Replaces the file at `path`, whose contents were `read`, with `contents`:
// written to a temporary file in the same folder (".NAME.pexilon-config-
// XXXXXX", removed again on SIGINT, SIGTERM and SIGHUP), flushed to the
// disk, given the old file's owner, group, mode and extended attributes
// (which hold its ACL), and renamed over it (over the file a symbolic link
// points to, which stays a link). Refused when replaceable() refuses, when
// any of those cannot be kept, and when the file no longer holds `read`
// (another program changed it meanwhile). On failure returns false with the
// reason in `error`; the old file is then as it was and no temporary file is
// left.
bool replace_file(const std::string &path, std::string_view read, std::string_view contents,
                  std::string &error);

} // namespace pexilon::tool
