// The numbers of a value as written and as stored, for a listener: read
// with the same conversion as the record's, item by item, with where each
// stands. Runs only when a sink is attached.
#pragma once

#include <cstddef>

#include "config/config_sink.h"

namespace pexilon {

// Numbers one value can hold: a line the reader hands on has at most 199
// bytes, and every item but the last takes a comma besides its text.
inline constexpr std::size_t max_accounted_numbers = 128;

struct numbers_read {
    std::size_t count = 0;
    bool hex_whole = false; // see key_account::hex_whole
};

// The numbers of `value` given to `key`, into `out` (room for
// max_accounted_numbers). A list is split at commas as the record's list
// reader splits it (empty items skipped); a one-number key reads the whole
// value as one item. `value_end`, where known, is where the value's
// terminator stands. Offsets count from `base` bytes before `value`, where
// its line starts.
numbers_read account_numbers(const key_row &key, const char *value, const char *value_end,
                             std::size_t base, number_account *out) noexcept;

} // namespace pexilon
