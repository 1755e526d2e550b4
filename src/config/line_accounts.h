// One account of every line of a configuration text: what the reader took
// it for and what the interpreter did with it, handed to a listener once
// the line is over. The checker's rules, explain, diff's line trace and the
// language server read these accounts instead of working it out again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "config/config_sink.h"
#include "config/parse_config.h"
#include "reader/parse_outcome.h"
#include "reader/reader_sink.h"

namespace pexilon {

// What the interpreter made of a line.
enum class line_fate : unsigned char {
    none,    // nothing reached it: blank, comment, block lines, faulty lines
    section, // a header: section_code is what it opens (0 for an unknown section)
    stored,  // a key line the record took: `key`
    code,    // the end of a code block that became controls[key.index].code
    ignored, // `cause` tells why
};

// Offsets are byte offsets into the line as the reader read it (a piece of at
// most 199 bytes; the first line's counts a byte-order mark).
struct line_account {
    std::size_t reader_line = 0; // 1-based, as pexilon_parse_config counts lines
    line_kind kind = line_kind::blank;
    text_span name;  // header: the section text; name/value: the name
    text_span value; // name/value and continuation: the value as handed on
    text_span rest;  // header: what follows its closing "]", ignored by the reader
    // The current section after this line, and its code (0 for an unknown
    // section and before the first header).
    std::string_view section;
    std::uint32_t section_code = 0;
    bool in_section = false;     // a header came before (or is) this line
    std::string_view continues;  // continuation: the name it continues
    std::size_t block_start = 0; // block lines: the line of the start marker
    line_fate fate = line_fate::none;
    ignore_cause cause = ignore_cause::unknown_key;
    key_account key;                             // stored; numbers' offsets are into the line
    reject_reason refused = reject_reason::none; // the interpreter refused the line
    fault problem = fault::none;                 // the fault recorded for this line
};

class account_listener {
public:
    virtual void account(const line_account &line) noexcept = 0;

protected:
    ~account_listener() = default;
};

// Parses exactly `size` bytes at `data` into `config` (zeroed, or filled by
// an earlier parse) as parse_config_bytes does, telling `listener` of every
// line. The record and the report are the same as without a listener.
config_report parse_config_accounted(const char *data, std::size_t size, parsed_config *config,
                                     account_listener &listener) noexcept;

} // namespace pexilon
