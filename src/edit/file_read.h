// A file as it was read to be rewritten, and whether it still is: what a
// rewrite asks just before it renames its new file over the old one, so
// that what another program wrote there in the meantime is not lost.
#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>

namespace pexilon::edit {

// How the file a path names stands against what was read from it.
enum class file_change : unsigned char {
    none,       // the same file, holding the bytes read
    contents,   // the same file, holding other bytes
    replaced,   // another file has taken its name
    removed,    // no file has its name
    unreadable, // it could not be looked at again (errno says why)
};

// Whether `a` and `b` are the status of one file.
bool same_file(const struct stat &a, const struct stat &b) noexcept;

// Compares the file at `target` with the file whose status was `read_from`
// and whose bytes were `read`. Reads it whole (stopping one byte past what
// was read), so a file grown by a byte is told from the one read.
file_change change_since_read(const std::string &target, const struct stat &read_from,
                              std::string_view read);

} // namespace pexilon::edit
