// What replacing a file by a new one beside it must carry over: the new
// file written whole, and given the old one's owner, group, mode, ACL and
// extended attributes. Shared by the library's document save and the
// program's in-place rewrites.
#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>

namespace pexilon::edit {

// Writes all of `text` to `fd`, going on after short writes and
// interruptions; false with errno set.
bool write_all(int fd, std::string_view text) noexcept;

// The file `path` names, its links followed; when it names none yet, its
// name in its folder with the folder's links followed (`path` itself when
// the folder is not there either).
std::string resolved_path(const std::string &path);

// Gives the file open as `fd` what `target` (whose status is `old`) has
// besides its text. Empty when done, else why not ("cannot keep its mode:
// ..."), errno then holding the failed step's error.
std::string keep_attributes(int fd, const std::string &target, const struct stat &old);

} // namespace pexilon::edit
