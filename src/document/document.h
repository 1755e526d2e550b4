// A configuration file held as one model: its text, each editor line with
// what the library's reader and interpreter made of it, its sections,
// controls and code blocks, and the record it yields. Built in one listened
// parse, so that every command that reads lines (hover, completion, the
// outline, and later edits that set one value without touching another
// byte) stands on the same facts. The line parts cover the text without a
// gap or an overlap: printing them back gives the text byte for byte, and an
// edit replaces one part. A line's parts are made when asked for: most
// readers want the pieces and numbers only, and the parts of every line
// held at once took more memory than the text and the pieces together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/line_accounts.h"
#include "pexilon/config_parser.h"
#include "reader/line_map.h"

namespace pexilon {

// Byte offsets [begin, end) into the document's text.
struct byte_range {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t size() const noexcept { return end - begin; }
    bool operator==(const byte_range &) const = default;
};

// What a part of a line is.
enum class part_role : unsigned char {
    gap,       // bytes between the parts named below: indentation, commas, "]"...
    bom,       // the byte-order mark before line 1
    name,      // a key's name, or a header's section text
    separator, // "=" or ":"
    value,     // a value that is not read as numbers (a text, an unknown key's value)
    item,      // one number's item of a value, white space trimmed
    rest,      // what follows a header's closing "]"
    comment,   // a whole-line or inline comment
    trailing,  // white space before the line end
    line_end,  // "\n" or "\r\n"
};

struct line_part {
    part_role role = part_role::gap;
    byte_range bytes;
};

// One number of a value: where it is written, what it reads as, what the
// record keeps of it. It went to the field of its piece's key: number
// `order` of the value (for SIZE 0 is the width, 1 the height; for lists the
// entry's values[order]).
struct document_number {
    byte_range written; // the item, white space trimmed off both ends
    std::size_t order = 0;
    bool digits = false;
    bool hex = false;
    bool saturated = false;
    std::int64_t read = 0;
    std::int64_t stored = 0;
};

inline constexpr std::size_t no_index = static_cast<std::size_t>(-1);

// One reader line: a whole editor line, or a 199-byte piece of a longer one.
struct document_piece {
    std::size_t reader_line = 0; // 1-based, as pexilon_parse_config counts
    byte_range bytes;            // the piece, its line end included
    byte_range name;             // header: the section text; name/value: the name (empty for none)
    byte_range value;            // name/value and continuation: the value as handed on
    byte_range rest;             // header: what follows its closing "]"
    // The section in effect after the piece (into document::sections()).
    std::size_t section = no_index;
    std::string continues;        // continuation: the name of the key it continues
    const key_row *key = nullptr; // stored: the key the record took
    std::size_t index = 0;        // stored: the entry or control; code: the control
    std::size_t first_number = 0; // into document::numbers()
    std::size_t number_count = 0;
    // The byte-sized facts last, side by side: a million pieces each padded
    // after every flag took a sixth more memory.
    line_kind kind = line_kind::blank;
    bool accounted = false; // the parse told of this piece (it tells of every one it reads)
    bool changed = true;    // stored: false when the value left the record alone
    line_fate fate = line_fate::none;
    ignore_cause cause = ignore_cause::unknown_key;
    reject_reason refused = reject_reason::none;
    fault problem = fault::none;
};

// A newline-ended line, as an editor numbers it (the last may lack the newline).
struct document_line {
    byte_range bytes; // the line end included
    std::size_t first_piece = 0;
    std::size_t piece_count = 1;
    std::size_t block = no_index; // the code block the line is part of
};

// A section the reader opened, from its header to the line before the next.
struct document_section {
    std::size_t first_line = 0; // 0-based editor lines
    std::size_t last_line = 0;
    std::string name;               // as the reader reports it: "board parameter||dev2"
    std::uint32_t code = 0;         // 0 for a section the library ignores
    std::size_t control = no_index; // control sections: the place in controls[]
    byte_range ctrl_name;           // the value of its last CTRL_NAME stored, as written
};

// A code block, from its start marker to its end (or the line that cut it off).
struct document_block {
    std::size_t first_line = 0;
    std::size_t last_line = 0;
    std::size_t control = no_index; // the control whose code it became
};

struct record_release {
    void operator()(parsed_config *record) const noexcept;
};
using owned_record = std::unique_ptr<parsed_config, record_release>;

// How much of each line a document models. The numbers of the values take
// more memory than the text; a reader that needs only the lines and their
// pieces (the formatter) reads without them.
enum class document_detail : unsigned char {
    full,   // lines, pieces and numbers
    pieces, // no numbers (each piece's number_count is 0, and parts_of() has no items)
};

// Runs the one listened parse of a document's text for it, so that another
// reader of the accounts (the checker's rules) shares that parse: the parse
// must tell `builder` of every line it reads and fill `record` (empty on
// entry), and throw what it could not hold.
using document_parse = std::function<config_report(
    std::string_view text, const line_map &map, account_listener &builder, parsed_config &record)>;

class document {
public:
    // Reads `text` (kept as the document's own copy) in one listened parse.
    // Throws std::bad_alloc when memory runs out.
    explicit document(std::string text, document_detail detail = document_detail::full);
    // The same, from a parse that `parse` runs.
    document(std::string text, document_detail detail, const document_parse &parse);

    const std::string &stored_text() const noexcept { return text_; }
    // The text rebuilt from the lines' parts, byte for byte the text read.
    std::string print() const;
    // The bytes of a range of the text.
    std::string_view bytes(byte_range range) const noexcept;

    const std::vector<document_line> &lines() const noexcept { return lines_; }
    const std::vector<document_piece> &pieces() const noexcept { return pieces_; }
    // The parts of editor line `line` (0-based), end to end over its bytes;
    // empty past the last line.
    std::vector<line_part> parts_of(std::size_t line) const;
    const std::vector<document_number> &numbers() const noexcept { return numbers_; }
    const std::vector<document_section> &sections() const noexcept { return sections_; }
    const std::vector<document_block> &blocks() const noexcept { return blocks_; }
    // The sections that opened controls[i], by i.
    const std::vector<std::size_t> &control_sections() const noexcept { return controls_; }

    // The section in effect on editor line `line` (0-based), or null.
    const document_section *section_at(std::size_t line) const noexcept;
    // The first piece of editor line `line`, or null past the last line.
    const document_piece *first_piece(std::size_t line) const noexcept;

    const parsed_config &record() const noexcept { return *record_; }
    const config_report &report() const noexcept { return report_; }

private:
    friend class document_builder;

    std::string text_;
    std::vector<document_line> lines_;
    std::vector<document_piece> pieces_;
    std::vector<document_number> numbers_;
    std::vector<document_section> sections_;
    std::vector<document_block> blocks_;
    std::vector<std::size_t> controls_;
    owned_record record_;
    config_report report_;
};

} // namespace pexilon
