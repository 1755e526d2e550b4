#include "edit/file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "edit/file_attributes.h"

namespace pexilon::edit {

namespace {

// The file descriptor of an open file, closed on every path.
struct open_file {
    int fd;
    explicit open_file(const std::string &path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    open_file(const open_file &) = delete;
    open_file &operator=(const open_file &) = delete;
    ~open_file()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Reads from `fd` into the `size` bytes at `data` until they are full or
// the file ends: the bytes read, or -1 with errno set.
ssize_t read_into(int fd, char *data, std::size_t size) noexcept
{
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(fd, data + filled, size - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

} // namespace

bool same_file(const struct stat &a, const struct stat &b) noexcept
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

file_change change_since_read(const std::string &target, const struct stat &read_from,
                              std::string_view read)
{
    struct stat now {};
    if (::stat(target.c_str(), &now) != 0)
        return errno == ENOENT ? file_change::removed : file_change::unreadable;
    if (!same_file(now, read_from))
        return file_change::replaced;
    if (static_cast<std::size_t>(now.st_size) != read.size())
        return file_change::contents;
    const open_file file(target);
    if (file.fd < 0)
        return file_change::unreadable;
    std::string text(read.size() + 1, '\0');
    const ssize_t got = read_into(file.fd, text.data(), text.size());
    if (got < 0)
        return file_change::unreadable;
    text.resize(static_cast<std::size_t>(got));
    return text == read ? file_change::none : file_change::contents;
}

int read_whole_file(const std::string &path, read_file &out)
{
    const open_file file(path);
    if (file.fd < 0 || ::fstat(file.fd, &out.status) != 0)
        return errno;
    out.path = resolved_path(path);
    out.bytes.clear();
    // A regular file's size is where its end is likely to be (a byte more
    // tells that it is there); a pipe or a device says nothing of it.
    std::size_t room = S_ISREG(out.status.st_mode) && out.status.st_size > 0
                           ? static_cast<std::size_t>(out.status.st_size) + 1
                           : 65536;
    for (;;) {
        const std::size_t filled = out.bytes.size();
        out.bytes.resize(filled + room);
        const ssize_t got = read_into(file.fd, out.bytes.data() + filled, room);
        if (got < 0)
            return errno;
        out.bytes.resize(filled + static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < room)
            return 0;
        room = 65536;
    }
}

} // namespace pexilon::edit
