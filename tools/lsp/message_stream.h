// Messages of the language server protocol on a byte stream: a header of
// "Name: value" lines, a blank line, then Content-Length bytes of JSON.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace pexilon::lsp {

// The largest body the server holds in memory. Editors send a whole document
// in one message, so this is the largest document the server accepts.
inline constexpr std::size_t max_body_size = std::size_t{16} << 20;

enum class read_status {
    message, // `body` holds one message
    end_of_input,
    bad_header, // the header had no usable Content-Length; `problem` says why
    too_large,  // the body was longer than max_body_size and was skipped
};

struct read_result {
    read_status status = read_status::end_of_input;
    std::string body;
    std::string problem;
};

// A body over the limit is read and dropped when it is at most this long;
// a longer length no client could send is refused without waiting for it,
// and the next header starts over.
#ifdef __EMSCRIPTEN__
// wasm32: a 32-bit size_t cannot hold 4 GiB; every length it can hold is
// skipped.
inline constexpr std::size_t max_skipped_body = static_cast<std::size_t>(-1);
#else
inline constexpr std::size_t max_skipped_body = std::size_t{1} << 32;
#endif

// Reads the next message. A malformed header costs only that header: the
// next line that names a Content-Length starts over, even when it follows
// stray bytes on the same line (what a wrong length leaves behind).
read_result read_message(std::FILE *in, std::size_t limit = max_body_size);

// Writes one message and flushes it. Returns false when the stream failed.
bool write_message(std::FILE *out, const std::string &body);

// One message written as its body comes, in pieces whose total length is
// given first: a large body need not be held whole.
class message_writer {
public:
    message_writer(std::FILE *out, std::size_t size) noexcept;
    void write(std::string_view piece) noexcept;
    // Flushes the message; false when the stream failed at any step.
    bool finish() noexcept;

private:
    std::FILE *out_;
    bool written_;
};

// True when a message is already waiting: in the stream's buffer (a glibc
// field; elsewhere the check falls back to the descriptor alone) or in the
// pipe behind it.
bool input_waiting(std::FILE *in);

} // namespace pexilon::lsp
