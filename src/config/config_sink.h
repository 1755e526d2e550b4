// What the interpreter did with each event of the reader, for a listener
// (the line accounts, config/line_accounts.h). Told only when a sink is
// attached: the parse of pexilon_parse_config computes none of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "config/interpreter.h"
#include "config/vocabulary.h"

namespace pexilon {

// Why an event left the record alone.
enum class ignore_cause : unsigned char {
    unknown_section, // the section is in no table (or there is none yet)
    unknown_key,     // the section's table does not name the key
    block_outside,   // a code block outside a control section
    no_entry,        // the control this line belongs to could not be stored
};

// One number of a value, as written and as stored. No member has a
// default: arrays of these are filled as far as they are used, and a
// value-initialised array of room for a whole line's numbers would cost
// every line of a listened parse.
struct number_account {
    // Offsets into the line as the reader handed it on, which is shorter
    // than 256 bytes: one byte each keeps a number's account in 24 bytes.
    std::uint8_t begin; // the item, white space trimmed off both ends
    std::uint8_t end;
    std::uint8_t item_begin; // the whole item between its commas
    std::uint8_t item_end;
    std::uint8_t taken;  // bytes from `begin` read as the number
    bool digits;         // a digit was read (otherwise the value is 0)
    bool hex;            // "0x" or "0X" first
    bool saturated;      // beyond the 64-bit range
    std::int64_t read;   // its value as read, held at the 64-bit limits
    std::int64_t stored; // what the field keeps of it
};

// A key line the record took.
struct key_account {
    const key_row *key = nullptr;
    std::size_t index = 0; // entries: the index in params; controls: in controls
    // The numbers read (for a list every item, also those past the 16 kept).
    std::span<const number_account> numbers;
    bool changed = true; // false when the value left the record as it was (SIZE with 3 numbers)
    // Every number a list item of "0x" and hex digits after at most one
    // blank, one comma apart with none empty, and kept whole: register lists
    // as they are mostly written, told as they were read.
    bool hex_whole = false;
};

class config_sink {
public:
    // Where the numbers of a key line are accounted for (room for
    // max_accounted_numbers; the interpreter's own when null), and where
    // the line's value starts in its line, which their offsets count from.
    // Kept by the sink, not in the interpreter's state, which the parse of
    // pexilon_parse_config carries and which is left as small as it was.
    number_account *number_room = nullptr;
    std::size_t value_offset = 0;

    // A section header and the code found for it (0 for none).
    virtual void section(const char *section, std::uint32_t code) noexcept = 0;
    // A key line was stored; the record already holds the result.
    virtual void applied(const key_account &account, const char *name,
                         const char *value) noexcept = 0;
    // A code block became the code of controls[control].
    virtual void code_attached(std::size_t control) noexcept = 0;
    virtual void ignored(ignore_cause cause, const char *name) noexcept = 0;
    // The interpreter refused the event; the reader records the fault next.
    virtual void rejected(reject_reason reason) noexcept = 0;

protected:
    ~config_sink() = default;
};

} // namespace pexilon
