// What a field of the record can hold, and a command line's value for it
// checked against that, so that an edit refuses a value the field would
// cut rather than write one that reads back as another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/vocabulary.h"

namespace pexilon::edit {

struct number_range {
    std::int64_t low = 0;
    std::int64_t high = 0;
};

number_range range_of(const record_member &field) noexcept;

// An entry's values hold unsigned 32-bit numbers.
number_range entry_value_range() noexcept;

// The number `text` gives for `field`, or nothing with the reason in `error`.
std::optional<std::int64_t> field_number(std::string_view text, const record_member &field,
                                         std::string &error);

// A text for a key's field: at most the key's room, on one line.
bool field_text(std::string_view text, const key_row &key, std::string &error);

// "1, 0x2C, 3" (or "[1, 2]", or "" for none) as an entry's numbers, at
// most as many as an entry holds, each in range. The numbers' texts as
// given are kept in `written`, so that a new line writes them so.
bool entry_numbers(std::string_view text, std::vector<std::int64_t> &numbers,
                   std::vector<std::string> &written, std::string &error);

} // namespace pexilon::edit
