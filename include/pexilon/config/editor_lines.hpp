/* Part of pexilon/config.hpp: the reader's line numbers (199-byte
 * pieces) told as the editor lines of a text or a file. */

#ifndef PEXILON_CONFIG_EDITOR_LINES_HPP
#define PEXILON_CONFIG_EDITOR_LINES_HPP

#include <cstddef>
#include <cstdio>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pexilon {

/** The reader's piece size: a line is read in pieces of at most this many
 * bytes, its newline included. */
inline constexpr std::size_t reader_piece_bytes = 199;

namespace detail {

/* Follows text byte by byte and tells the editor line of the reader's line
 * `target`. */
class piece_counter {
public:
    explicit piece_counter(std::size_t target) noexcept : target_(target) {}

    /* Takes the next bytes; true once the target piece has begun. */
    bool feed(const char *bytes, std::size_t size) noexcept
    {
        for (std::size_t i = 0; i < size; ++i) {
            if (in_piece_ == 0 && ++pieces_ == target_)
                return true;
            ++in_piece_;
            if (bytes[i] == '\n') {
                ++line_;
                in_piece_ = 0;
            } else if (in_piece_ == reader_piece_bytes) {
                in_piece_ = 0;
            }
        }
        return false;
    }
    /* The editor line of the target piece once feed() said so; before, at
     * the end of the text, the line after the last complete one. */
    std::size_t line() const noexcept { return line_; }

private:
    std::size_t target_;
    std::size_t pieces_ = 0;
    std::size_t in_piece_ = 0;
    std::size_t line_ = 1;
};

} // namespace detail

/**
 * The editor line of the reader's line `reader_line` in `text`: the text is
 * cut as the reader cuts it (lines over 199 bytes in pieces, a newline ends a
 * piece; a byte-order mark and carriage returns are bytes like any other). A
 * reader line past the end of the text gives the line after the last
 * complete one, as the checker numbers it.
 */
inline std::size_t editor_line_in_text(std::string_view text, std::size_t reader_line) noexcept
{
    detail::piece_counter counter(reader_line);
    counter.feed(text.data(), text.size());
    return counter.line();
}

/**
 * The same for the file at `path`, read again through a 4 KB buffer on the
 * stack. Returns 0 when the file cannot be opened or read, or is no regular
 * file (a pipe or a terminal gives its text once). The file is read as it is
 * now: if it changed since the parse, so may the answer.
 *
 * NULL: a null `path` gives 0. Threads: keeps no state; any thread may call.
 */
inline std::size_t editor_line_in_file(const char *path, std::size_t reader_line) noexcept
{
    if (path == nullptr)
        return 0;
    // Opened without waiting, and asked what it is before it is read: a FIFO
    // would otherwise wait for a writer that has already gone, and it gave
    // its text once anyway.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return 0;
    }
    std::FILE *file = fdopen(fd, "rb");
    if (file == nullptr) {
        ::close(fd);
        return 0;
    }
    detail::piece_counter counter(reader_line);
    char buffer[4096];
    bool found = false;
    std::size_t n = 0;
    while (!found && (n = std::fread(buffer, 1, sizeof buffer, file)) != 0)
        found = counter.feed(buffer, n);
    const bool failed = !found && std::ferror(file) != 0;
    std::fclose(file);
    return failed ? 0 : counter.line();
}

} // namespace pexilon

#endif /* PEXILON_CONFIG_EDITOR_LINES_HPP */
