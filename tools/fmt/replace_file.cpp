#include "fmt/replace_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

bool replace_file(const std::string &path, std::string_view contents, std::string &error)
{
    // A link is followed: the file it names is the one replaced.
    std::string target = path;
    if (char *resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) {
        error = reason("cannot read its mode");
        return false;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = folder + "." + base + ".fmt-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = reason("cannot create a temporary file beside it");
        return false;
    }
    bool ok = write_all(fd, contents);
    if (!ok)
        error = reason("cannot write the temporary file");
    // The owner too where that is allowed (to root); others keep their own.
    if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) {
        error = reason("cannot give the temporary file the file's owner");
        ok = false;
    }
    if (ok && ::fchmod(fd, old.st_mode & 07777) != 0) {
        error = reason("cannot give the temporary file the file's mode");
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        error = reason("cannot flush the temporary file");
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = reason("cannot close the temporary file");
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = reason("cannot rename the temporary file over it");
        ok = false;
    }
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace pexilon_tool
