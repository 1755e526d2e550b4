// Emscripten's C library declares the extended-attribute calls but does not
// define them. MEMFS, the only file system the page has, keeps none, so they
// answer as a Linux file system without extended attributes would: ENOTSUP,
// which `fmt -i` already takes as "nothing to keep".
#include <cerrno>
#include <sys/types.h>
#include <sys/xattr.h>

extern "C" {

ssize_t listxattr(const char *, char *, size_t)
{
    errno = ENOTSUP;
    return -1;
}

ssize_t getxattr(const char *, const char *, void *, size_t)
{
    errno = ENOTSUP;
    return -1;
}

int fsetxattr(int, const char *, const void *, size_t, int)
{
    errno = ENOTSUP;
    return -1;
}

} // extern "C"
