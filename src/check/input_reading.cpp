#include "check/input_reading.h"

#include <cerrno>

namespace pexilon::check {

loaded_input read_stream(std::FILE *stream)
{
    loaded_input input;
    if (stream == nullptr) {
        input.os_error = EINVAL;
        return input;
    }
    // The library reads in blocks of this size; a stream whose first block
    // fails is one that could not be read at all.
    char block[16384];
    for (bool first = true;; first = false) {
        errno = 0;
        const std::size_t n = std::fread(block, 1, sizeof block, stream);
        if (n == 0) {
            if (std::ferror(stream)) {
                input.os_error = errno != 0 ? errno : EIO;
                if (first)
                    return input;
                input.read_failed = true;
            }
            break;
        }
        input.bytes.append(block, n);
    }
    input.opened = true;
    return input;
}

loaded_input read_path(const char *path)
{
    if (path == nullptr) {
        loaded_input input;
        input.os_error = EINVAL;
        return input;
    }
    std::FILE *file = std::fopen(path, "re");
    if (file == nullptr) {
        loaded_input input;
        input.os_error = errno;
        return input;
    }
    loaded_input input;
    try {
        input = read_stream(file);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
    return input;
}

} // namespace pexilon::check
