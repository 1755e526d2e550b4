#include "fmt/replace_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "edit/file_attributes.h"
#include "edit/file_read.h"
#include "fmt/temporary_file.h"

namespace pexilon::tool {

namespace {

std::string reason(std::string_view what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// The conditions under which renaming a new file over `old` would lose
// nothing but the old contents.
bool replaceable_stat(const std::string &target, struct stat &old, std::string &error)
{
    if (::stat(target.c_str(), &old) != 0) {
        error = reason("cannot read its mode");
        return false;
    }
    if (!S_ISREG(old.st_mode)) {
        // A FIFO, a device or a terminal: a new regular file would take its
        // place, and whatever reads or writes it would lose it.
        error = "it is not a regular file; write the result to standard output instead";
        return false;
    }
    if (old.st_nlink > 1) {
        // The other names would keep the old text.
        error = "it has " + std::to_string(old.st_nlink) +
                " hard links, which a rewrite would part; write the result to standard "
                "output instead";
        return false;
    }
    // Root may write any file; one that nobody may write is still left as it is.
    if (::access(target.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0) {
        error = "it is not writable";
        return false;
    }
    return true;
}

} // namespace

bool replaceable(const std::string &path, std::string &error)
{
    struct stat old {};
    return replaceable_stat(pexilon::edit::resolved_path(path), old, error);
}

bool replace_file(const std::string &path, std::string_view read, std::string_view contents,
                  std::string &error)
{
    const std::string target = pexilon::edit::resolved_path(path);
    struct stat old {};
    if (!replaceable_stat(target, old, error))
        return false;
    temporary_file temporary(target);
    if (!temporary.created()) {
        error = reason("cannot create a temporary file beside it");
        return false;
    }
    if (!pexilon::edit::write_all(temporary.fd(), contents)) {
        error = reason("cannot write the temporary file");
        return false;
    }
    error = pexilon::edit::keep_attributes(temporary.fd(), target, old);
    if (!error.empty())
        return false;
    if (::fsync(temporary.fd()) != 0) {
        error = reason("cannot flush the temporary file");
        return false;
    }
    if (!temporary.close()) {
        error = reason("cannot close the temporary file");
        return false;
    }
    if (pexilon::edit::change_since_read(target, old, read) != pexilon::edit::file_change::none) {
        error = "it changed while it was being rewritten; run again";
        return false;
    }
    if (!temporary.rename_over(target)) {
        error = reason("cannot rename the temporary file over it");
        return false;
    }
    return true;
}

} // namespace pexilon::tool
