// Reading and writing a field of the record through its row in the
// vocabulary (config/vocabulary.h), so that code which handles every field
// alike names none of them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "config/vocabulary.h"

namespace pexilon {

// Stores the low bits of `value` that fit the numeric field.
inline void store_number(void *record, const record_member &field, std::int64_t value) noexcept
{
    auto *at = static_cast<unsigned char *>(record) + field.offset;
    const auto bits = static_cast<std::uint64_t>(value);
    switch (field.size) {
    case 1: {
        const auto v = static_cast<std::uint8_t>(bits);
        std::memcpy(at, &v, 1);
        break;
    }
    case 2: {
        const auto v = static_cast<std::uint16_t>(bits);
        std::memcpy(at, &v, 2);
        break;
    }
    case 4: {
        const auto v = static_cast<std::uint32_t>(bits);
        std::memcpy(at, &v, 4);
        break;
    }
    default:
        std::memcpy(at, &bits, 8);
        break;
    }
}

// What a numeric field of this width and sign keeps of `value`.
constexpr std::int64_t kept_value(const record_member &field, std::int64_t value) noexcept
{
    const auto bits = static_cast<std::uint64_t>(value);
    switch (field.size) {
    case 1:
        return field.is_signed ? std::int64_t{static_cast<std::int8_t>(bits)}
                               : std::int64_t{static_cast<std::uint8_t>(bits)};
    case 2:
        return field.is_signed ? std::int64_t{static_cast<std::int16_t>(bits)}
                               : std::int64_t{static_cast<std::uint16_t>(bits)};
    case 4:
        return field.is_signed ? std::int64_t{static_cast<std::int32_t>(bits)}
                               : std::int64_t{static_cast<std::uint32_t>(bits)};
    default:
        return value;
    }
}

// The numeric field's value, as its width and sign make it.
inline std::int64_t number_of(const void *record, const record_member &field) noexcept
{
    const auto *at = static_cast<const unsigned char *>(record) + field.offset;
    std::uint64_t bits = 0;
    switch (field.size) {
    case 1: {
        std::uint8_t v = 0;
        std::memcpy(&v, at, 1);
        bits = v;
        break;
    }
    case 2: {
        std::uint16_t v = 0;
        std::memcpy(&v, at, 2);
        bits = v;
        break;
    }
    case 4: {
        std::uint32_t v = 0;
        std::memcpy(&v, at, 4);
        bits = v;
        break;
    }
    default:
        std::memcpy(&bits, at, 8);
        break;
    }
    return kept_value(field, static_cast<std::int64_t>(bits));
}

// The text field up to its terminator or the end of the field.
inline std::string_view text_of(const void *record, const record_member &field) noexcept
{
    const char *at = static_cast<const char *>(record) + field.offset;
    return {at, strnlen(at, field.size)};
}

// Bits a numeric field holds.
constexpr unsigned bits_of(const record_member &field) noexcept
{
    return static_cast<unsigned>(field.size * 8);
}

} // namespace pexilon
