#include "fmt/replace_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "fmt/temporary_file.h"

namespace pexilon_tool {

namespace {

std::string reason(std::string_view what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Writes all of `contents`, going on after short writes and interruptions.
bool write_all(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file a path names, its links followed.
std::string resolved(const std::string &path)
{
    std::string target = path;
    if (char *real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    return target;
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

// Gives the temporary file what the old one had besides its text.
bool keep_attributes(int fd, const std::string &target, const struct stat &old, std::string &error)
{
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        error = reason("cannot keep its owner and group");
        return false;
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
        error = reason("cannot keep its mode");
        return false;
    }
    // After the mode: an ACL sets the group bits of the mode from its mask.
    const ssize_t size = ::listxattr(target.c_str(), nullptr, 0);
    if (size < 0 && errno == ENOTSUP)
        return true; // a file system without them
    if (size < 0) {
        error = reason("cannot read its extended attributes");
        return false;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::listxattr(target.c_str(), names.data(), names.size());
    if (got < 0) {
        error = reason("cannot read its extended attributes");
        return false;
    }
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const char *name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = ::getxattr(target.c_str(), name, nullptr, 0);
        std::vector<char> value(length > 0 ? static_cast<std::size_t>(length) : 0);
        if (length < 0 || ::getxattr(target.c_str(), name, value.data(), value.size()) != length ||
            ::fsetxattr(fd, name, value.data(), value.size(), 0) != 0) {
            error = reason(std::string("cannot keep its extended attribute ") + name);
            return false;
        }
    }
    return true;
}

// Whether the file still holds what was read from it.
bool unchanged(const std::string &target, const struct stat &old, std::string_view read)
{
    struct stat now {};
    if (::stat(target.c_str(), &now) != 0 || now.st_ino != old.st_ino || now.st_dev != old.st_dev ||
        static_cast<std::size_t>(now.st_size) != read.size())
        return false;
    const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string text(read.size() + 1, '\0');
    std::size_t filled = 0;
    for (ssize_t n = 1; n > 0 && filled<text.size(); filled += n> 0 ? n : 0)
        while ((n = ::read(fd, text.data() + filled, text.size() - filled)) < 0 && errno == EINTR)
            ;
    ::close(fd);
    return std::string_view(text).substr(0, filled) == read;
}

} // namespace

bool replaceable(const std::string &path, std::string &error)
{
    struct stat old {};
    return replaceable_stat(resolved(path), old, error);
}

bool replace_file(const std::string &path, std::string_view read, std::string_view contents,
                  std::string &error)
{
    const std::string target = resolved(path);
    struct stat old {};
    if (!replaceable_stat(target, old, error))
        return false;
    temporary_file temporary(target);
    if (!temporary.created()) {
        error = reason("cannot create a temporary file beside it");
        return false;
    }
    if (!write_all(temporary.fd(), contents)) {
        error = reason("cannot write the temporary file");
        return false;
    }
    if (!keep_attributes(temporary.fd(), target, old, error))
        return false;
    if (::fsync(temporary.fd()) != 0) {
        error = reason("cannot flush the temporary file");
        return false;
    }
    if (!temporary.close()) {
        error = reason("cannot close the temporary file");
        return false;
    }
    if (!unchanged(target, old, read)) {
        error = "it changed while it was being rewritten; run again";
        return false;
    }
    if (!temporary.rename_over(target)) {
        error = reason("cannot rename the temporary file over it");
        return false;
    }
    return true;
}

} // namespace pexilon_tool
