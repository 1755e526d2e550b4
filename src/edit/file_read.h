// A file as it was read to be rewritten, and whether it still is: what a
// rewrite asks just before it renames its new file over the old one, so
// that what another program wrote there in the meantime is not lost. Shared
// by the library's document save and the program's in-place rewrites.
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

// A file read whole, with what names it.
struct read_file {
    std::string path;      // its links followed, as resolved_path gives it
    struct stat status {}; // of the file the bytes were read from
    std::string bytes;
};

// Reads the file at `path` whole into `out`: 0, or the errno of the step
// that failed (`out` is then unspecified). Throws std::bad_alloc when
// memory runs out.
int read_whole_file(const std::string &path, read_file &out);

} // namespace pexilon::edit
