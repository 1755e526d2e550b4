// What the formatter knows of a text: each editor line as the library's
// reader and interpreter took it, the faults and where they stand, and the
// record the text yields, all taken from the one document of the text
// (document/document.h). The formatter does not read the text itself;
// everything else works on these facts.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace pexilon::format {

// What an editor line is to the formatter.
enum class line_role : unsigned char {
    blank,        // white space alone
    comment,      // a whole-line comment
    header,       // a closed section header
    pair,         // "name = value" or "name: value"
    continuation, // an indented line read as more of the name above
    block,        // a code block's markers and lines, and a header that cut one off
    faulty,       // a line the reader refused
    kept,         // read in pieces (over 199 bytes), holding a NUL byte, or "==..."
                  // (a pair without a name)
};

// How the interpreter reads a pair's value.
enum class value_shape : unsigned char {
    text,    // TYPE, CTRL_NAME, FUNC_NAME: every byte counts
    numbers, // a number or a list of numbers
    ignored, // an unknown key or section: the record does not read it
};

// Byte offsets into the text.
struct read_line {
    std::size_t begin = 0;       // first byte (past the byte-order mark on line 1)
    std::size_t content_end = 0; // where the line end ("\n" or "\r\n") starts
    std::size_t end = 0;         // past the line end
    line_role role = line_role::kept;
    value_shape shape = value_shape::ignored;
    std::size_t name_begin = 0; // pair: the name as the reader trimmed it
    std::size_t name_end = 0;
    std::size_t value_begin = 0; // pair: the value less its comment; continuation: the line
    std::size_t value_end = 0;
};

// A fault as the reader recorded it.
struct fault_mark {
    std::size_t reader_line = 0; // as pexilon_parse_config counts
    std::size_t editor_line = 0;
    int kind = 0; // the reader's fault kind, as a number
    bool replaces = false;
    bool operator==(const fault_mark &) const = default;
};

struct text_reading {
    std::vector<read_line> lines; // editor lines, in order
    std::vector<fault_mark> faults;
    int parse_result = 0;                // what pexilon_parse_config returns for the text
    int result_kind = 0;                 // the fault kind behind it
    std::size_t bom = 0;                 // bytes of a byte-order mark before line 1
    std::unique_ptr<const document> doc; // with lines: the document they are taken from
    owned_record own_record;             // without: the record alone
    const parsed_config &record() const noexcept { return doc ? doc->record() : *own_record; }
};

// The document of `text` (its one listened parse), and the formatter's facts
// taken from it. Without `with_lines`, as for the check of a result, only the
// faults, the result and the record, from a parse that keeps nothing else
// (`lines` stays empty, and there is no document). Throws std::bad_alloc
// when memory runs out.
text_reading read_for_format(std::string_view text, bool with_lines = true);
// With lines, the document built from the parse that `parse` runs.
text_reading read_for_format(std::string_view text, const document_parse &parse);

// White space as the reader sees it.
bool is_white_byte(char c) noexcept;

// Where the records of two readings first differ, in words ("" when they are
// the same): "camera settings", "params[3]", "the number of controls"...
std::string record_difference(const parsed_config &before, const parsed_config &after);

// A fault kind in words: "no separator", "code block cut off"...
std::string_view fault_words(int kind) noexcept;

} // namespace pexilon::format
