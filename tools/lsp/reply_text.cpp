// The JSON text of a formatting reply, written as nlohmann::json writes the
// edits: the keys in the order it keeps them (sorted), the texts escaped as
// its serializer escapes them. The same code counts the bytes before the
// reply is sent and writes them after, so that the two cannot disagree.
#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>

#include "formatting.h"

namespace pexilon::lsp {

namespace {

constexpr std::uint64_t ones = 0x0101010101010101u;
constexpr std::uint64_t highs = 0x8080808080808080u;

// The high bit of each byte of `word` that is below `limit` (at most 0x80);
// bits above the lowest may be set wrongly, never that one or one below it.
constexpr std::uint64_t bytes_below(std::uint64_t word, std::uint64_t limit) noexcept
{
    return (word - ones * limit) & ~word & highs;
}

// The bytes a JSON string cannot hold as they are, or that the serializer
// may write otherwise (control bytes, DEL and every byte of a multibyte
// character), as bytes_below() marks them.
constexpr std::uint64_t special_bytes(std::uint64_t word) noexcept
{
    return bytes_below(word, 0x20) | (word & highs) | bytes_below(word ^ (ones * 0x7F), 1) |
           bytes_below(word ^ (ones * '"'), 1) | bytes_below(word ^ (ones * '\\'), 1);
}

bool special(char c) noexcept
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\';
}

// The escape the serializer writes for a byte of laid-out text that a JSON
// string cannot hold as it is; empty for a byte left to the serializer.
std::string_view escape_of(char c) noexcept
{
    switch (c) {
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    default:
        return {};
    }
}

// Puts `text` as a JSON string when each of its bytes is printable ASCII or
// has an escape above (as laid-out text does); returns false, part of it
// put, at the first other byte. Eight bytes are looked at a time.
template <typename Out>
bool put_plain(Out &out, std::string_view text)
{
    out.put("\"");
    std::size_t written = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (std::endian::native == std::endian::little && at + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, 8);
            const std::uint64_t found = special_bytes(word);
            if (found == 0) {
                at += 8;
                continue;
            }
            at += static_cast<std::size_t>(std::countr_zero(found)) / 8;
        } else if (!special(text[at])) {
            ++at;
            continue;
        }
        const std::string_view escape = escape_of(text[at]);
        if (escape.empty())
            return false;
        out.put(text.substr(written, at - written));
        out.put(escape);
        written = ++at;
    }
    out.put(text.substr(written));
    out.put("\"");
    return true;
}

// Counts what would be put.
struct counter {
    std::size_t bytes = 0;
    void put(std::string_view piece) noexcept { bytes += piece.size(); }
    void put_text(const format_reply::edit &edit, const std::vector<std::string> &) noexcept
    {
        bytes += edit.quoted;
    }
};

// Gathers what is put into `block` for `sink`, a block at a time; a piece
// larger than the block goes to it as it is.
class chunks {
public:
    chunks(const std::function<void(std::string_view)> &sink, char *block, std::size_t size)
        : sink_(sink), bytes_(block), size_(size)
    {
    }

    void put(std::string_view piece)
    {
        if (piece.size() > size_ - used_) {
            flush();
            if (piece.size() > size_) {
                sink_(piece);
                return;
            }
        }
        std::memcpy(bytes_ + used_, piece.data(), piece.size());
        used_ += piece.size();
    }

    void put_text(const format_reply::edit &edit, const std::vector<std::string> &serialized)
    {
        if (edit.serialized != format_reply::edit::plain)
            put(serialized[edit.serialized]);
        else
            put_plain(*this, edit.text);
    }

    void flush()
    {
        if (used_ != 0)
            sink_({bytes_, used_});
        used_ = 0;
    }

private:
    const std::function<void(std::string_view)> &sink_;
    char *bytes_;
    std::size_t size_;
    std::size_t used_ = 0;
};

template <typename Out>
void put_number(Out &out, std::size_t value)
{
    char digits[24];
    const auto done = std::to_chars(digits, digits + sizeof digits, value);
    out.put({digits, static_cast<std::size_t>(done.ptr - digits)});
}

template <typename Out>
void put_position(Out &out, const position &at)
{
    out.put(R"({"character":)");
    put_number(out, at.character);
    out.put(R"(,"line":)");
    put_number(out, at.line);
    out.put("}");
}

template <typename Out>
void put_edits(Out &out, const std::vector<format_reply::edit> &edits,
               const std::vector<std::string> &serialized)
{
    out.put("[");
    for (const format_reply::edit &edit : edits) {
        out.put(&edit == edits.data() ? R"({"newText":)" : R"(,{"newText":)");
        out.put_text(edit, serialized);
        out.put(R"(,"range":{"end":)");
        put_position(out, edit.end);
        out.put(R"(,"start":)");
        put_position(out, edit.start);
        out.put("}}");
    }
    out.put("]");
}

} // namespace

void format_reply::measure()
{
    using serializer = nlohmann::detail::serializer<nlohmann::json>;
    for (edit &each : edits_) {
        counter quoted;
        if (put_plain(quoted, each.text)) {
            each.quoted = quoted.bytes;
            continue;
        }
        std::string &text = serialized_.emplace_back();
        serializer escaped(nlohmann::detail::output_adapter<char>(text), ' ',
                           nlohmann::json::error_handler_t::replace);
        escaped.dump(nlohmann::json(std::string(each.text)), false, false, 0);
        each.serialized = serialized_.size() - 1;
        each.quoted = text.size();
    }
    counter all;
    put_edits(all, edits_, serialized_);
    size_ = all.bytes;
    // Not zeroed: every byte of it is written before it is read.
    block_.reset(new char[std::min(size_, block_size)]);
}

void format_reply::write(const std::function<void(std::string_view)> &sink)
{
    chunks out(sink, block_.get(), std::min(size_, block_size));
    put_edits(out, edits_, serialized_);
    out.flush();
}

std::string format_reply::text()
{
    std::string out;
    out.reserve(size_);
    write([&](std::string_view piece) { out.append(piece); });
    return out;
}

} // namespace pexilon::lsp
