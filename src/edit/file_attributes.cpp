#include "edit/file_attributes.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace pexilon::edit {

namespace {

std::string failed(std::string_view what)
{
    const int error = errno;
    std::string out = std::string(what) + ": " + std::strerror(error);
    errno = error;
    return out;
}

// Copies each extended attribute of `target` (the ACL among them) to `fd`.
std::string keep_extended(int fd, const std::string &target)
{
    const ssize_t size = ::listxattr(target.c_str(), nullptr, 0);
    if (size < 0 && errno == ENOTSUP)
        return {}; // a file system without them
    std::vector<char> names(size > 0 ? static_cast<std::size_t>(size) : 0);
    const ssize_t got = size < 0 ? size : ::listxattr(target.c_str(), names.data(), names.size());
    if (got < 0)
        return failed("cannot read its extended attributes");
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const char *name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = ::getxattr(target.c_str(), name, nullptr, 0);
        std::vector<char> value(length > 0 ? static_cast<std::size_t>(length) : 0);
        if (length < 0 || ::getxattr(target.c_str(), name, value.data(), value.size()) != length ||
            ::fsetxattr(fd, name, value.data(), value.size(), 0) != 0)
            return failed(std::string("cannot keep its extended attribute ") + name);
    }
    return {};
}

} // namespace

bool write_all(int fd, std::string_view text) noexcept
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string resolved_path(const std::string &path)
{
    if (char *real = ::realpath(path.c_str(), nullptr)) {
        std::string target = real;
        std::free(real);
        return target;
    }
    // No file of that name yet: the name in its folder, whose links are
    // followed, so that one file has one name whether or not it is there.
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    char *real = ::realpath(folder.c_str(), nullptr);
    if (real == nullptr)
        return path;
    std::string target = real;
    std::free(real);
    return target + (target.ends_with('/') ? "" : "/") +
           (slash == std::string::npos ? path : path.substr(slash + 1));
}

std::string keep_attributes(int fd, const std::string &target, const struct stat &old)
{
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return failed("cannot keep its owner and group");
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return failed("cannot keep its mode");
    // After the mode: an ACL sets the group bits of the mode from its mask.
    return keep_extended(fd, target);
}

} // namespace pexilon::edit
