#include "edit/save_file.h"

#include "edit/file_attributes.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pexilon::edit {

namespace {

save_outcome failed(std::string_view what, int error)
{
    return {false, error,
            std::string(what) + (error != 0 ? ": " + std::string(std::strerror(error)) : "")};
}

// A new file beside `target`, created as open() creates one (mode 0666
// less the umask), under a name no other file has.
// `name` is left empty when none could be created.
int create_beside(const std::string &target, std::string &name)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    static constexpr char letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, GRND_NONBLOCK) != sizeof random) {
            const auto mixed = static_cast<unsigned long>(std::time(nullptr)) ^
                               static_cast<unsigned long>(::getpid()) * 2654435761UL ^
                               static_cast<unsigned long>(attempt) * 40503UL;
            std::memcpy(random, &mixed, sizeof random);
        }
        name = folder;
        name += '.';
        name += base;
        name += ".pexilon-";
        for (unsigned char each : random)
            name += letters[each % (sizeof letters - 1)];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    name.clear();
    errno = error;
    return -1;
}

// Whether the file may be replaced, and what it is now (`exists` false for none).
save_outcome replaceable(const std::string &target, struct stat &old, bool &exists)
{
    exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno == ENOENT)
        return {true, 0, {}};
    if (!exists)
        return failed("cannot read its mode", errno);
    if (!S_ISREG(old.st_mode))
        return failed("it is not a regular file", 0);
    if (old.st_nlink > 1)
        return failed("it has " + std::to_string(old.st_nlink) +
                          " hard links, which a rewrite would part",
                      0);
    if (::access(target.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0)
        return failed("it is not writable", EACCES);
    return {true, 0, {}};
}

// Writes, flushes and closes the new file; false with the reason.
save_outcome fill(int fd, const std::string &target, const struct stat *old, std::string_view text)
{
    if (!write_all(fd, text))
        return failed("cannot write the temporary file", errno);
    if (old != nullptr)
        if (const std::string why = keep_attributes(fd, target, *old); !why.empty())
            return {false, errno, why};
    if (::fsync(fd) != 0)
        return failed("cannot flush the temporary file", errno);
    return {true, 0, {}};
}

// Saved, or why the file may not be saved over when it is not as it was read.
save_outcome as_read(file_change change)
{
    switch (change) {
    case file_change::none:
        return {true, 0, {}};
    case file_change::contents:
        return failed("it changed since it was read, and saving would lose that change", 0);
    case file_change::replaced:
        return failed("another file took its place since it was read, and saving would lose it", 0);
    case file_change::removed:
        return failed("it was removed since it was read", 0);
    case file_change::unreadable:
        break;
    }
    return failed("cannot read it again to see whether it changed since it was read", errno);
}

// The new file until it is renamed over the old one: removed on every other path.
struct temporary {
    int fd = -1;
    std::string name;
    bool kept = false;
    temporary() = default;
    temporary(const temporary &) = delete;
    temporary &operator=(const temporary &) = delete;
    ~temporary()
    {
        if (fd >= 0)
            ::close(fd);
        if (!kept && !name.empty())
            ::unlink(name.c_str());
    }
};

} // namespace

save_outcome save_text(const std::string &path, std::string_view text, read_file *origin)
{
    const std::string target = resolved_path(path);
    struct stat old {};
    bool exists = false;
    if (save_outcome allowed = replaceable(target, old, exists); !allowed.saved)
        return allowed;
    if (origin != nullptr && target != origin->path && !(exists && same_file(old, origin->status)))
        origin = nullptr; // another file: nothing was read from it
    temporary made;
    made.fd = create_beside(target, made.name);
    if (made.fd < 0)
        return failed("cannot create a temporary file beside it", errno);
    save_outcome outcome = fill(made.fd, target, exists ? &old : nullptr, text);
    // What the origin becomes, taken while a failure still leaves all as it was.
    struct stat written {};
    std::string next;
    if (outcome.saved && origin != nullptr) {
        next = text;
        if (::fstat(made.fd, &written) != 0)
            outcome = failed("cannot read the temporary file's status", errno);
    }
    const int closed = ::close(made.fd);
    made.fd = -1;
    if (closed != 0 && outcome.saved)
        outcome = failed("cannot close the temporary file", errno);
    // As late as can be: what another program writes after this is lost.
    if (outcome.saved && origin != nullptr)
        outcome = as_read(change_since_read(target, origin->status, origin->bytes));
    if (outcome.saved && ::rename(made.name.c_str(), target.c_str()) != 0)
        outcome = failed("cannot rename the temporary file over it", errno);
    made.kept = outcome.saved;
    if (outcome.saved && origin != nullptr) {
        origin->status = written;
        origin->bytes.swap(next);
    }
    return outcome;
}

} // namespace pexilon::edit
