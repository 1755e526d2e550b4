#include "support/character_columns.h"

namespace pexilon {

namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

} // namespace

std::size_t character_size(std::string_view text, std::size_t at) noexcept
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t size = 1;
    // The lowest and highest second byte each lead allows, so that
    // overlong forms, surrogates and values past U+10FFFF are single bytes.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 1;
    }
    if (text.size() - at < size)
        return 1;
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if (second < low || second > high)
        return 1;
    for (std::size_t i = 2; i < size; ++i)
        if (!is_continuation(static_cast<unsigned char>(text[at + i])))
            return 1;
    return size;
}

std::size_t characters_in(std::string_view text) noexcept
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += character_size(text, at))
        ++count;
    return count;
}

std::size_t character_columns::operator()(std::string_view line, std::size_t byte_column) noexcept
{
    if (byte_column == 0)
        return 0;
    const std::size_t target = byte_column - 1;
    if (line.data() != line_ || target < byte_) {
        line_ = line.data();
        byte_ = 0;
        characters_ = 0;
    }
    while (byte_ < target && byte_ < line.size()) {
        const std::size_t size = character_size(line, byte_);
        if (byte_ + size > target)
            break; // the target lies inside this character
        byte_ += size;
        ++characters_;
    }
    const std::size_t past_end = target > line.size() ? target - line.size() : 0;
    return characters_ + past_end + 1;
}

} // namespace pexilon
