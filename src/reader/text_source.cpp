#include "reader/text_source.h"

#include <cstring>

#include "reader/line_binding.h"
#include "reader/memory_lines.h"

namespace pexilon {

char *read_text_line(char *buffer, int size, void *stream) noexcept
{
    auto &cursor = *static_cast<text_cursor *>(stream);
    if (cursor.bytes_left == 0 || size < 2)
        return nullptr;
    // Counted, not stopped by a terminator: every byte is handed out.
    std::size_t limit = static_cast<std::size_t>(size) - 1;
    if (limit > cursor.bytes_left)
        limit = cursor.bytes_left;
    const void *newline = std::memchr(cursor.position, '\n', limit);
    const std::size_t n =
        newline != nullptr
            ? static_cast<std::size_t>(static_cast<const char *>(newline) - cursor.position) + 1
            : limit;
    std::memcpy(buffer, cursor.position, n);
    buffer[n] = '\0';
    cursor.position += n;
    cursor.bytes_left -= n;
    return buffer;
}

parse_outcome parse_bytes(const char *data, std::size_t size, line_handler handler, void *user,
                          block_taker taker, reader_sink *sink) noexcept
{
    callback_receiver receiver{handler, user, taker};
    return parse_bytes(data, size, receiver, sink);
}

} // namespace pexilon
