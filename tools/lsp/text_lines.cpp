// Editor lines and UTF-16 columns.
#include "text_lines.h"

#include <cstdint>

namespace pexilon_lsp {

namespace {

bool is_continuation(unsigned char byte) noexcept { return (byte & 0xC0) == 0x80; }

} // namespace

char_size next_char(std::string_view text) noexcept
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    std::uint32_t code = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return {1, 1}; // ASCII, or a byte that starts no sequence
    }
    if (text.size() < length)
        return {1, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!is_continuation(byte))
            return {1, 1};
        code = (code << 6) | (byte & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return {1, 1};
    return {length, length == 4 ? std::size_t{2} : std::size_t{1}};
}

text_lines::text_lines(std::string_view text) : text_(text)
{
    starts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts_.push_back(i + 1);
}

std::string_view text_lines::line(std::size_t index) const noexcept
{
    if (index >= starts_.size())
        return {};
    const std::size_t start = starts_[index];
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] - 1 : text_.size();
    return text_.substr(start, end - start);
}

std::size_t text_lines::utf16_column(std::size_t index, std::size_t bytes) const noexcept
{
    const std::string_view text = line(index);
    std::size_t units = 0;
    for (std::size_t at = 0; at < bytes && at < text.size();) {
        const char_size c = next_char(text.substr(at));
        if (at + c.bytes > bytes)
            break; // a column inside a character counts from its start
        at += c.bytes;
        units += c.units;
    }
    return units;
}

std::size_t text_lines::byte_column(std::size_t index, std::size_t units) const noexcept
{
    const std::string_view text = line(index);
    std::size_t at = 0;
    std::size_t counted = 0;
    while (at < text.size()) {
        const char_size c = next_char(text.substr(at));
        if (counted + c.units > units)
            break;
        counted += c.units;
        at += c.bytes;
    }
    return at;
}

std::size_t text_lines::offset(std::size_t index, std::size_t units) const noexcept
{
    if (index >= starts_.size())
        return text_.size();
    return starts_[index] + byte_column(index, units);
}

} // namespace pexilon_lsp
