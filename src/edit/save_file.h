// Writing an edited text over its file so that a reader sees the old file
// or the new one, never a part of either, and the file stays what it was in
// every other respect: its owner, its mode, its ACL and extended attributes,
// the symbolic link that names it. For the libraries' hosts, which have no
// signal handler of the library's to clean up after them.
#pragma once

#include <string>
#include <string_view>

#include "edit/file_read.h"

namespace pexilon::edit {

struct save_outcome {
    bool saved = false;
    int os_error = 0;   // not saved: the errno of the step that failed, or 0
    std::string reason; // not saved: why, one sentence
};

// Writes `text` to a temporary file beside `path` (".NAME.pexilon-XXXXXX"),
// flushes it to the disk, gives it the old file's owner, group, mode and
// extended attributes, and renames it over the file (over the file a
// symbolic link names). A file that does not exist is created with mode
// 0666 less the umask. Refused when the file is not a regular file, has
// more than one hard link or may not be written, and when any step fails;
// the old file is then as it was and no temporary file is left.
//
// `origin`, when given, is the file the text was read from. A save over it
// (`path` names it once links are followed, or names the same file) is
// refused too when it no longer is what was read: another program wrote to
// it, or put another file in its place, or removed it. After such a save
// `origin` is what was written, so that the next save over it is checked
// against that. A save elsewhere neither checks nor changes it.
save_outcome save_text(const std::string &path, std::string_view text, read_file *origin = nullptr);

} // namespace pexilon::edit
