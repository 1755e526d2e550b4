#include "check/input_reading.h"

#include <cerrno>
#include <vector>

namespace pexilon::check {

loaded_input read_stream(std::FILE *stream)
{
    loaded_input input;
    if (stream == nullptr) {
        input.os_error = EINVAL;
        return input;
    }
    // Read as the library reads: each read judged by itself, one cut short
    // by a signal made again, and a stream whose first read fails taken for
    // one that could not be read at all.
    std::vector<char> block(16384);
    int pending_error = 0;
    while (pending_error == 0) {
        const bool flagged_before = std::ferror(stream) != 0;
        errno = 0;
        const std::size_t n = std::fread(block.data(), 1, block.size(), stream);
        const int error = errno;
        const bool read_failed = std::ferror(stream) != 0 && (error != 0 || !flagged_before);
        if (read_failed && error == EINTR)
            std::clearerr(stream);
        else if (read_failed)
            pending_error = error != 0 ? error : EIO;
        if (n != 0) {
            input.bytes.append(block.data(), n);
            continue;
        }
        if (!read_failed)
            break; // the end of the input
    }
    if (pending_error != 0 && input.bytes.empty()) {
        input.os_error = pending_error;
        return input;
    }
    input.opened = true;
    input.read_failed = pending_error != 0;
    input.os_error = pending_error;
    return input;
}

loaded_input read_path(const char *path)
{
    if (path == nullptr) {
        loaded_input input;
        input.os_error = EINVAL;
        return input;
    }
    // Opening a FIFO waits for a writer, and a signal may cut that short.
    std::FILE *file = nullptr;
    do
        file = std::fopen(path, "re");
    while (file == nullptr && errno == EINTR);
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
