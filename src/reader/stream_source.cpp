#include "reader/stream_source.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "pexilon/config_parser.h"

namespace pexilon {

namespace {

// Hands out the lines of a stdio stream exactly as fgets would (at most
// size - 1 bytes, up to and including a newline), but reads the stream in
// large blocks and finds line ends with memchr instead of taking the stream's
// lock and scanning byte by byte for every line.
struct stream_lines {
    std::FILE *file;
    const char *position = nullptr;
    const char *end = nullptr;
    std::size_t lines_read = 0;
    bool at_end = false;
    bool failed = false;
    int os_error = 0;
    char block[16384];

    explicit stream_lines(std::FILE *f) noexcept : file(f) {}

    bool refill() noexcept
    {
        if (at_end || failed)
            return false;
        errno = 0;
        const std::size_t n = std::fread(block, 1, sizeof block, file);
        if (n == 0) {
            if (std::ferror(file)) {
                failed = true;
                os_error = errno != 0 ? errno : EIO;
            } else {
                at_end = true;
            }
            return false;
        }
        position = block;
        end = block + n;
        return true;
    }
};

char *read_stream_line(char *buffer, int size, void *stream) noexcept
{
    auto &lines = *static_cast<stream_lines *>(stream);
    if (size < 2 || lines.failed)
        return nullptr;
    const std::size_t limit = static_cast<std::size_t>(size) - 1;
    std::size_t copied = 0;
    while (copied < limit) {
        if (lines.position == lines.end && !lines.refill())
            break;
        const std::size_t available =
            std::min(static_cast<std::size_t>(lines.end - lines.position), limit - copied);
        const void *newline = std::memchr(lines.position, '\n', available);
        const std::size_t n =
            newline != nullptr
                ? static_cast<std::size_t>(static_cast<const char *>(newline) - lines.position) + 1
                : available;
        std::memcpy(buffer + copied, lines.position, n);
        lines.position += n;
        copied += n;
        if (newline != nullptr)
            break;
    }
    // A line cut short by a read error is not handed out: it was not read.
    if (copied == 0 || lines.failed)
        return nullptr;
    buffer[copied] = '\0';
    ++lines.lines_read;
    return buffer;
}

int clamp_line(std::size_t line) noexcept
{
    return line > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(line);
}

} // namespace

parse_outcome parse_stream_detailed(std::FILE *stream, line_handler handler, void *user,
                                    block_taker taker) noexcept
{
    if (stream == nullptr)
        return {PARSE_OPEN_FAILED, fault::cannot_open, EINVAL};
    stream_lines lines(stream);
    // A stream that cannot be read at all (a directory, say) is reported
    // like one that cannot be opened, before anything reaches the handler.
    if (!lines.refill() && lines.failed)
        return {PARSE_OPEN_FAILED, fault::cannot_open, lines.os_error};
    parse_outcome outcome = parse_lines_detailed(read_stream_line, &lines, handler, user, taker);
    // A read error is not the end of the input: the line that could not be
    // read is reported unless an earlier line was faulty.
    if (lines.failed &&
        (outcome.kind == fault::none || outcome.kind == fault::block_unterminated)) {
        outcome.line = clamp_line(lines.lines_read + 1);
        outcome.kind = fault::read_error;
    }
    if (lines.failed)
        outcome.os_error = lines.os_error;
    return outcome;
}

int parse_stream(std::FILE *stream, line_handler handler, void *user) noexcept
{
    return parse_stream_detailed(stream, handler, user).line;
}

parse_outcome parse_path_detailed(const char *path, line_handler handler, void *user,
                                  block_taker taker) noexcept
{
    if (path == nullptr)
        return {PARSE_OPEN_FAILED, fault::cannot_open, EINVAL};
    std::FILE *file = std::fopen(path, "re"); // "r", closed on exec
    if (file == nullptr)
        return {PARSE_OPEN_FAILED, fault::cannot_open, errno};
    const parse_outcome outcome = parse_stream_detailed(file, handler, user, taker);
    std::fclose(file);
    return outcome;
}

int parse_path(const char *path, line_handler handler, void *user) noexcept
{
    return parse_path_detailed(path, handler, user).line;
}

} // namespace pexilon
