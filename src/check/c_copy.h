// Text handed to a C host: a copy from malloc, NUL-terminated, that the
// caller releases with free.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace pexilon::check {

// A malloc'd, terminated copy of `text`, or null when memory ran out.
inline char *c_copy(std::string_view text) noexcept
{
    auto *copy = static_cast<char *>(std::malloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.data(), text.size());
        copy[text.size()] = '\0';
    }
    return copy;
}

} // namespace pexilon::check
