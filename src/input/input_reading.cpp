#include "input/input_reading.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "pexilon/config.hpp"
#include "reader/line_map.h"

namespace pexilon::input {

// The C++ interface maps reader lines to editor lines on its own, so it
// states the piece size in the public header; it is the reader's.
static_assert(pexilon::reader_piece_bytes == piece_limit);

loaded_input read_stream(std::FILE *stream)
{
    loaded_input input;
    if (stream == nullptr) {
        input.os_error = EINVAL;
        return input;
    }
    // A regular file's size is known: its bytes are read into one block
    // made for them, with a byte to spare to see the end in.
    struct stat status {};
    if (fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
        input.bytes.reserve(static_cast<std::size_t>(status.st_size) + 1);
    // Read as the library reads: each read judged by itself, one cut short
    // by a signal made again, and a stream whose first read fails taken for
    // one that could not be read at all. Reads go straight into the block,
    // up to a megabyte at a time.
    constexpr std::size_t most_at_once = std::size_t{1} << 20;
    int pending_error = 0;
    while (pending_error == 0) {
        char *const room = input.bytes.room(input.bytes.room_size() != 0 ? 1 : 16384);
        const std::size_t wanted = std::min(input.bytes.room_size(), most_at_once);
        const bool flagged_before = std::ferror(stream) != 0;
        errno = 0;
        const std::size_t n = std::fread(room, 1, wanted, stream);
        const int error = errno;
        const bool read_failed = std::ferror(stream) != 0 && (error != 0 || !flagged_before);
        if (read_failed && error == EINTR)
            std::clearerr(stream);
        else if (read_failed)
            pending_error = error != 0 ? error : EIO;
        if (n != 0) {
            input.bytes.added(n);
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

std::string_view readable_text(std::string_view all, bool read_failed)
{
    if (!read_failed)
        return all;
    const line_map map(all);
    if (map.reader_lines() == 0)
        return {};
    const piece last = map.piece_at(map.reader_lines());
    const std::size_t length = all.size() - last.begin;
    const bool whole = all.back() == '\n' || length == piece_limit;
    return all.substr(0, whole ? all.size() : last.begin);
}

parse_outcome reported_outcome(bool opened, bool read_failed, int os_error, parse_outcome parsed,
                               std::size_t reader_lines)
{
    if (!opened)
        return {cannot_open_line, fault::cannot_open, os_error};
    if (!read_failed)
        return parsed;
    parsed.os_error = os_error;
    if (parsed.kind == fault::none || parsed.kind == fault::block_unterminated) {
        parsed.line = reported_line(reader_lines + 1);
        parsed.kind = fault::read_error;
    }
    return parsed;
}

config_report parse_loaded(const loaded_input &input, parsed_config *config,
                           account_listener *listener)
{
    config_report report;
    if (!input.opened) {
        report.outcome = reported_outcome(false, false, input.os_error, {}, 0);
        return report;
    }
    const std::string_view text = readable_text(input.bytes, input.read_failed);
    report = listener != nullptr
                 ? parse_config_accounted(text.data(), text.size(), config, *listener)
                 : parse_config_bytes(text.data(), text.size(), config);
    std::size_t lines = 0;
    if (input.read_failed)
        lines = line_map(text).reader_lines();
    report.outcome =
        reported_outcome(true, input.read_failed, input.os_error, report.outcome, lines);
    return report;
}

} // namespace pexilon::input
