// What the interpreter did with each event of the reader, for a listener
// that judges it (the checker). Told only when a sink is attached.
#pragma once

#include <cstdint>

#include "config/config_handler.h"

namespace pexilon {

// The part of the record an event went into.
enum class record_field : unsigned char {
    none,
    cfg_mode,
    type,
    bit_width,
    i2c_mode,
    i2c_addr,
    trans_lvl,
    size,
    format,
    param_entry, // a new entry of params
    control,     // a new entry of controls (a control section's header)
    min_value,
    max_value,
    step,
    def,
    ctrl_name,
    func_name,
    code, // the code text of the newest control
};

// Why an event left the record alone.
enum class ignore_cause : unsigned char {
    unknown_section, // the section is in no table (or there is none yet)
    unknown_key,     // the section's table does not name the key
    block_outside,   // a code block outside a control section
    no_entry,        // the control this line belongs to could not be stored
};

class config_sink {
public:
    // A section header and the code found for it (0 for none).
    virtual void section(const char *section, std::uint32_t code) noexcept = 0;
    // The event was stored in `field`; the record already holds the result.
    virtual void applied(record_field field, const char *name, const char *value) noexcept = 0;
    virtual void ignored(ignore_cause cause, const char *name) noexcept = 0;
    // The handler refused the event; the reader records the fault next.
    virtual void rejected(reject_reason reason) noexcept = 0;

protected:
    ~config_sink() = default;
};

} // namespace pexilon
