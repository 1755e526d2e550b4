// Content-Length framing of the protocol's messages.
#include "message_stream.h"

#include <poll.h>

#include <cctype>
#include <string_view>

namespace pexilon::lsp {

namespace {

// Header lines longer than this are cut; no real header comes near it.
constexpr std::size_t max_header_line = 4096;

enum class line_status { line, end_of_input };

// Reads one header line without its "\n" (a "\r" before it is dropped too).
line_status read_header_line(std::FILE *in, std::string &line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::getc(in)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() < max_header_line)
            line.push_back(static_cast<char>(c));
    }
    if (c == EOF && !any)
        return line_status::end_of_input;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line_status::line;
}

// Position of the last "Content-Length:" in the line, in any case, or npos.
std::size_t find_length_field(std::string_view line)
{
    static constexpr std::string_view field = "content-length:";
    if (line.size() < field.size())
        return std::string_view::npos;
    for (std::size_t at = line.size() - field.size() + 1; at-- > 0;) {
        std::size_t i = 0;
        while (i < field.size() &&
               std::tolower(static_cast<unsigned char>(line[at + i])) == field[i])
            ++i;
        if (i == field.size())
            return at;
    }
    return std::string_view::npos;
}

// The decimal number after the field name; false when there is none or it
// does not fit.
bool parse_length(std::string_view text, std::size_t &length)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i == text.size())
        return false;
    std::size_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t')
            break;
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<std::size_t>(c - '0');
        if (value > (static_cast<std::size_t>(-1) - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    for (; i < text.size(); ++i)
        if (text[i] != ' ' && text[i] != '\t')
            return false;
    length = value;
    return true;
}

// Reads and drops `count` bytes; false at the end of the input.
bool skip_bytes(std::FILE *in, std::size_t count)
{
    char scratch[65536];
    while (count > 0) {
        const std::size_t want = count < sizeof scratch ? count : sizeof scratch;
        const std::size_t got = std::fread(scratch, 1, want, in);
        if (got == 0)
            return false;
        count -= got;
    }
    return true;
}

} // namespace

read_result read_message(std::FILE *in, std::size_t limit)
{
    read_result result;
    std::string line;
    bool have_length = false;
    bool bad_length = false;
    bool any_line = false;
    std::size_t length = 0;
    for (;;) {
        if (read_header_line(in, line) == line_status::end_of_input)
            return result; // end of input, whatever came before
        if (line.empty()) {
            if (!any_line)
                continue; // blank lines between messages are harmless
            break;
        }
        any_line = true;
        const std::size_t at = find_length_field(line);
        if (at == std::string_view::npos)
            continue; // Content-Type and stray bytes alike
        have_length = parse_length(std::string_view(line).substr(at + 15), length);
        bad_length = !have_length;
    }
    if (!have_length) {
        result.status = read_status::bad_header;
        result.problem = bad_length ? "invalid Content-Length" : "missing Content-Length";
        return result;
    }
    if (length > limit) {
        if (length <= max_skipped_body && !skip_bytes(in, length))
            return result;
        result.status = read_status::too_large;
        result.problem = "message of " + std::to_string(length) + " bytes is over the limit of " +
                         std::to_string(limit);
        return result;
    }
    result.body.resize(length);
    if (length > 0 && std::fread(result.body.data(), 1, length, in) != length) {
        result.body.clear();
        return result; // the input ended inside the body
    }
    result.status = read_status::message;
    return result;
}

bool write_message(std::FILE *out, const std::string &body)
{
    message_writer message(out, body.size());
    message.write(body);
    return message.finish();
}

message_writer::message_writer(std::FILE *out, std::size_t size) noexcept
    : out_(out), written_(std::fprintf(out, "Content-Length: %zu\r\n\r\n", size) >= 0)
{
}

void message_writer::write(std::string_view piece) noexcept
{
    if (written_ && !piece.empty())
        written_ = std::fwrite(piece.data(), 1, piece.size(), out_) == piece.size();
}

bool message_writer::finish() noexcept
{
    return written_ && std::fflush(out_) == 0 && !std::ferror(out_);
}

bool input_waiting(std::FILE *in)
{
#ifdef __GLIBC__
    if (in->_IO_read_ptr < in->_IO_read_end)
        return true;
#endif
    pollfd descriptor{fileno(in), POLLIN, 0};
    return poll(&descriptor, 1, 0) > 0;
}

} // namespace pexilon::lsp
