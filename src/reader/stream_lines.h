// The lines of a stdio stream, read in large blocks: the source of the
// library's parses of files.
#pragma once

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "reader/byte_search.h"
#include "reader/line_loop.h"
#include "support/heap.h"

namespace pexilon {

// Bytes asked of the stream at a time: 64 KB take a quarter of the reads of
// 16 KB, which was 4-13% of a parse, and stay below the size from which the
// C library maps each block afresh. The block is on the heap, so that a
// parse needs little stack (hosts parse on small worker threads); when it
// cannot be had, a small block inside stream_lines serves instead: the parse
// is slower but reads and reports exactly the same. Each block has one byte
// more than is read into it, for the terminator of its last line.
inline constexpr std::size_t heap_block_size = 65536;
inline constexpr std::size_t fallback_block_size = 256;

// Hands out the lines of a stdio stream exactly as fgets would (at most
// size - 1 bytes, up to and including a newline), but reads the stream in
// large blocks and finds line ends with memchr instead of taking the stream's
// lock and scanning byte by byte for every line. A line that lies whole
// inside the block is handed out where it lies; only a line that straddles
// the end of the block is copied into the caller's buffer.
struct stream_lines {
    std::FILE *file; // null when the bytes are in memory
    char *block;
    std::size_t block_size; // bytes read at a time: the block holds one more
    char *position = nullptr;
    char *end = nullptr;
    char *covered = nullptr;        // where the terminator of the line handed out lies
    char covered_byte = 0;          // the byte that terminator stands on
    char *line_end = nullptr;       // where the line handed out ends, its newline dropped, or null
    const char *readable = nullptr; // see readable_end
    bool block_has_nul = false;
    // The line handed out last lies in the block and ends with its newline:
    // nothing of it is to be put back, and `readable` is the block's end.
    bool in_place = false;
    std::size_t lines_read = 0;
    bool at_end = false;
    bool failed = false;
    int os_error = 0;
    int pending_error = 0; // a read failed after handing over some bytes
    // The bytes not yet copied, when they are in memory (kept after the
    // fields a line is handed out with, which a file's parse reads).
    const char *memory = nullptr;
    std::size_t memory_left = 0;
    char fallback[fallback_block_size];

    explicit stream_lines(std::FILE *f) noexcept
        : file(f), block(static_cast<char *>(heap_malloc(heap_block_size + 1))),
          block_size(heap_block_size)
    {
        if (block == nullptr) {
            block = fallback;
            block_size = sizeof fallback - 1;
        }
    }
    // The lines of `size` bytes at `data`, copied block by block so that
    // the parser may write into each line as into a file's.
    stream_lines(const char *data, std::size_t size) noexcept : stream_lines(nullptr)
    {
        memory = data;
        memory_left = data != nullptr ? size : 0;
    }
    ~stream_lines()
    {
        if (block != fallback)
            heap_free(block);
    }
    stream_lines(const stream_lines &) = delete;
    stream_lines &operator=(const stream_lines &) = delete;

    // Reads the next block; false at the end of the input or on an error.
    // Each read is judged by what it did itself: a read cut short by a signal
    // (EINTR) lost nothing and is made again, and the errno of a read that
    // failed is kept. The stream's error flag alone says little, as it stays
    // set from any earlier failure.
    bool refill() noexcept
    {
        if (file == nullptr) [[unlikely]]
            return copy_block();
        while (!at_end && !failed) {
            if (pending_error != 0) {
                failed = true;
                os_error = pending_error;
                return false;
            }
            const bool flagged_before = std::ferror(file) != 0;
            errno = 0;
            const std::size_t n = std::fread(block, 1, block_size, file);
            const int error = errno;
            const bool read_failed = std::ferror(file) != 0 && (error != 0 || !flagged_before);
            if (read_failed && error == EINTR)
                std::clearerr(file);
            else if (read_failed)
                pending_error = error != 0 ? error : EIO;
            if (n != 0)
                return took(n);
            at_end = !read_failed;
        }
        return false;
    }

    // The next block of the bytes in memory; false at their end. Out of
    // line: taken into refill, it made the reading of a line too large to
    // be inlined into a file's parse, which then ran 5-10% slower.
    [[gnu::noinline]] bool copy_block() noexcept
    {
        const std::size_t n = std::min(block_size, memory_left);
        if (n == 0) {
            at_end = true;
            return false;
        }
        std::memcpy(block, memory, n);
        memory += n;
        memory_left -= n;
        return took(n);
    }

    // The block now holds `n` bytes.
    bool took(std::size_t n) noexcept
    {
        position = block;
        end = block + n;
        // One fast pass a block tells whether its lines may hold a NUL
        // byte; without one, a line's text ends at its newline.
        block_has_nul = std::memchr(block, '\0', n) != nullptr;
        return true;
    }

    // Puts back the byte under the terminator of the line handed out last:
    // it is the first byte of the next line.
    void uncover() noexcept
    {
        if (covered != nullptr) {
            *covered = covered_byte;
            covered = nullptr;
        }
    }

    // The next `n` bytes where they lie. A line that ends with its newline
    // is left as it is (the parser stops at the newline); any other is
    // terminated over the first byte of the next, which uncover puts back.
    char *hand_out_in_place(std::size_t n, bool ends_with_newline) noexcept
    {
        char *line = position;
        position += n;
        if (!ends_with_newline) {
            covered = position;
            covered_byte = *position;
            *position = '\0';
        }
        line_end = position - (ends_with_newline ? 1 : 0);
        readable = end;
        in_place = ends_with_newline;
        ++lines_read;
        return line;
    }

    char *next(char *buffer, int size) noexcept;
    // Where the text of the line handed out ends, when known without a look
    // at it (see parser_state::end_of_text); null otherwise. A NUL byte in
    // the block may end a text before its line does. (Asked of few lines:
    // the test is made here, not for every line handed out.)
    char *text_end() const noexcept { return block_has_nul ? nullptr : line_end; }
    // How far from the line handed out bytes may be read: to the end of
    // what the block holds, or of the copy in the caller's buffer.
    const char *readable_end() const noexcept { return readable; }
};

// The first newline among the `n` bytes at p, or null. While 32 bytes are
// there, they are compared at once (see byte_search.h).
inline const char *find_newline(const char *p, std::size_t n) noexcept
{
#if PEXILON_WIDE_SEARCH
    for (; n >= 32; p += 32, n -= 32)
        if (const unsigned found = bytes_among<'\n'>(p); found != 0)
            return p + std::countr_zero(found);
#endif
    return static_cast<const char *>(std::memchr(p, '\n', n));
}

// A line that ends inside the block, by a newline or by the size limit.
inline char *whole_line_in_block(stream_lines &lines, std::size_t limit) noexcept
{
    const auto available = static_cast<std::size_t>(lines.end - lines.position);
    if (available == 0)
        return nullptr; // nothing read yet, or all handed out (no block at all when empty)
    const char *newline = find_newline(lines.position, std::min(available, limit));
    if (newline != nullptr)
        return lines.hand_out_in_place(static_cast<std::size_t>(newline - lines.position) + 1,
                                       true);
    if (available >= limit)
        return lines.hand_out_in_place(limit, false);
    return nullptr;
}

// A line as line_reader gives it (see stream_lines).
inline char *next_stream_line(stream_lines &lines, char *buffer, int size) noexcept
{
#if PEXILON_WIDE_SEARCH
    // Most lines follow one handed out in place and end within 32 bytes:
    // with nothing to put back, nothing else is looked at. (A read error
    // only ever stands at the end of the block.)
    if (lines.in_place && size > 32 && lines.end - lines.position >= 32) {
        if (const unsigned found = bytes_among<'\n'>(lines.position); found != 0) {
            char *line = lines.position;
            lines.position += std::countr_zero(found) + 1;
            lines.line_end = lines.position - 1;
            ++lines.lines_read;
            return line;
        }
    }
#endif
    if (size < 2 || lines.failed)
        return nullptr;
    lines.uncover();
    const std::size_t limit = static_cast<std::size_t>(size) - 1;
    if (char *line = whole_line_in_block(lines, limit))
        return line;
    // The line runs past the end of the block: copy it over the refills.
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
    lines.in_place = false;
    lines.line_end = nullptr; // pieces of two blocks: looked for when needed
    lines.readable = buffer + copied;
    ++lines.lines_read;
    return buffer;
}

inline char *stream_lines::next(char *buffer, int size) noexcept
{
    return next_stream_line(*this, buffer, size);
}

// Parses an open stdio stream to its end (as the parse_stream that takes a line_handler).
template <typename Receiver>
parse_outcome parse_stream(std::FILE *stream, Receiver &receiver,
                           reader_sink *sink = nullptr) noexcept
{
    if (stream == nullptr)
        return {cannot_open_line, fault::cannot_open, EINVAL};
    static_assert(knows_text_end<stream_lines> && knows_readable_end<stream_lines>,
                  "the stream's lines tell where their text ends");
    stream_lines lines(stream);
    // A stream that cannot be read at all (a directory, say) is reported
    // like one that cannot be opened, before anything reaches the receiver.
    if (!lines.refill() && lines.failed)
        return {cannot_open_line, fault::cannot_open, lines.os_error};
    parse_outcome outcome = run_line_parser(lines, receiver, sink);
    // A read error is not the end of the input: the line that could not be
    // read is reported unless an earlier line was faulty.
    if (lines.failed &&
        (outcome.kind == fault::none || outcome.kind == fault::block_unterminated)) {
        outcome.line = reported_line(lines.lines_read + 1);
        outcome.kind = fault::read_error;
    }
    if (lines.failed)
        outcome.os_error = lines.os_error;
    return outcome;
}

// Opens `path` for reading and parses it (as the parse_path that takes a line_handler).
template <typename Receiver>
parse_outcome parse_path(const char *path, Receiver &receiver, reader_sink *sink = nullptr) noexcept
{
    if (path == nullptr)
        return {cannot_open_line, fault::cannot_open, EINVAL};
    // "r", closed on exec. Opening a FIFO waits for a writer, and a signal
    // may cut that wait short: open again.
    std::FILE *file = nullptr;
    do
        file = std::fopen(path, "re");
    while (file == nullptr && errno == EINTR);
    if (file == nullptr)
        return {cannot_open_line, fault::cannot_open, errno};
    const parse_outcome outcome = parse_stream(file, receiver, sink);
    std::fclose(file);
    return outcome;
}

} // namespace pexilon
