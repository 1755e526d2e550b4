// Every diagnostic the checker draws, declared once: its identifier, its
// name (stable, since -Wno-NAME, directives and editors use it), its
// severity, what part of a file it is about, one line on what it warns of
// and a line that draws it. The rules refer to a diagnostic by identifier;
// its name and severity come from here, and so do check's SARIF rules and
// every list of the diagnostics the program prints.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "pexilon/config_check.h"

namespace pexilon::check {

// X(identifier, name, severity, group, about, example), errors first, in the
// order check --help and the manual page list them. A new warning goes last,
// so that the rules of a SARIF log keep their indices.
#define PEXILON_CHECK_DIAGNOSTICS(X)                                                          \
    X(no_separator, "no-separator", PEXILON_CHECK_ERROR, line,                                \
      "a line with no \"=\" or \":\" before its end or an inline comment", "CFG_MODE 1")      \
    X(unclosed_header, "unclosed-header", PEXILON_CHECK_ERROR, section,                       \
      "a section header without its closing \"]\"", "[camera parameter")                      \
    X(too_many_values, "too-many-values", PEXILON_CHECK_ERROR, value,                         \
      "a list of more than 16 numbers; the first 16 are kept",                                \
      "REG = 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17")                      \
    X(block_cut_off, "block-cut-off", PEXILON_CHECK_ERROR, block,                             \
      "a section header inside a code block: the block is lost and the header is used up",    \
      "[camera parameter]   (before ======CODE_BLOCK_END======)")                             \
    X(block_unterminated, "block-unterminated", PEXILON_CHECK_ERROR, block,                   \
      "a code block still open at the end of the file: its text is lost",                     \
      "======CODE_BLOCK_START======   (and no end marker)")                                   \
    X(read_error, "read-error", PEXILON_CHECK_ERROR, file,                                    \
      "the file could not be read to its end", "")                                            \
    X(no_memory, "no-memory", PEXILON_CHECK_ERROR, file,                                      \
      "a line or block that could not be stored", "")                                         \
    X(unknown_section, "unknown-section", PEXILON_CHECK_WARNING, section,                     \
      "a header that names no known section: its lines are ignored", "[register paramter]")   \
    X(unknown_key, "unknown-key", PEXILON_CHECK_WARNING, key,                                 \
      "a key the section does not know, ignored", "REGG = 0x0100, 0x01")                      \
    X(no_section, "no-section", PEXILON_CHECK_WARNING, section,                               \
      "a name/value line before any section header, ignored", "SIZE = 640, 480   (line 1)")   \
    X(continuation, "continuation", PEXILON_CHECK_WARNING, line,                              \
      "an indented line read as the continuation of the line above", "    STEP = 1")          \
    X(split_line, "split-line", PEXILON_CHECK_WARNING, line,                                  \
      "a line over 199 bytes, read in pieces of which each counts as a line",                 \
      "; a comment of 250 characters ...")                                                    \
    X(number_syntax, "number-syntax", PEXILON_CHECK_WARNING, value,                           \
      "text after a number, two numbers without a comma, or no number at all", "DELAY = 5ms") \
    X(number_range, "number-range", PEXILON_CHECK_WARNING, value,                             \
      "a number that does not fit its field and was cut or saturated", "BIT_WIDTH = 300")     \
    X(text_truncated, "text-truncated", PEXILON_CHECK_WARNING, value,                         \
      "a TYPE over 50 characters or a name over 127, cut", "TYPE = (60 characters)")          \
    X(value_count, "value-count", PEXILON_CHECK_WARNING, value,                               \
      "SIZE or FORMAT without exactly two numbers, or a list where one number is read",       \
      "SIZE = 1440")                                                                          \
    X(duplicate_key, "duplicate-key", PEXILON_CHECK_WARNING, key,                             \
      "a camera key, or a key of one control, given twice: the last wins", "SIZE = 640, 480") \
    X(control_range, "control-range", PEXILON_CHECK_WARNING, control,                         \
      "MIN_VALUE above MAX_VALUE, DEF outside them, or a STEP of 0 or less", "STEP = 0")      \
    X(block_replaced, "block-replaced", PEXILON_CHECK_WARNING, block,                         \
      "a second code block in one control replaces the first",                                \
      "======CODE_BLOCK_START======   (the second in a control)")                             \
    X(block_ignored, "block-ignored", PEXILON_CHECK_WARNING, block,                           \
      "a code block outside a control section",                                               \
      "======CODE_BLOCK_START======   (under [camera parameter])")                            \
    X(line_ends, "line-ends", PEXILON_CHECK_WARNING, file,                                    \
      "a file whose lines end in CR alone: it reads as one long line",                        \
      "[camera parameter]<CR>SIZE = 640, 480<CR>")                                            \
    X(header_text, "header-text", PEXILON_CHECK_WARNING, section,                             \
      "text after a header's closing \"]\" that is no comment, ignored",                      \
      "[register parameter] [dev3][inf2]")                                                    \
    X(empty_value, "empty-value", PEXILON_CHECK_WARNING, value,                               \
      "a REG, DELAY or other list key with no value: an entry with no numbers", "DELAY =")    \
    X(empty_item, "empty-item", PEXILON_CHECK_WARNING, value,                                 \
      "two commas with nothing between them: the item is skipped, not read as 0",             \
      "REG = 0x05,, 0x00")                                                                    \
    X(quoted_text, "quoted-text", PEXILON_CHECK_WARNING, value,                               \
      "a text value in quotes: the quotes are kept", "CTRL_NAME = \"Exposure\"")              \
    X(leading_zero, "leading-zero", PEXILON_CHECK_WARNING, value,                             \
      "a number with a leading zero, read as decimal where octal may be meant", "DEF = 010")  \
    X(block_marker, "block-marker", PEXILON_CHECK_WARNING, block,                             \
      "a code-block marker with text after it, misspelt, out of place or unmatched",          \
      "=====CODE_BLOCK_START======")                                                          \
    X(control_incomplete, "control-incomplete", PEXILON_CHECK_WARNING, control,               \
      "a control section without CTRL_NAME or STEP, or with nothing at all",                  \
      "[control parameter]   (and no STEP)")                                                  \
    X(duplicate_control, "duplicate-control", PEXILON_CHECK_WARNING, control,                 \
      "two controls with the same CTRL_NAME", "CTRL_NAME = Gain   (in two controls)")         \
    X(suppression, "suppression", PEXILON_CHECK_WARNING, directive,                           \
      "a pexilon-config: directive that names no warning, or turns nothing off",              \
      "; pexilon-config: disable-next-line=unknown-sektion")                                  \
    X(reg_no_value, "reg-no-value", PEXILON_CHECK_WARNING, value,                             \
      "a REG of a register section with an address alone: a write needs a value too",         \
      "REG = 0x0100")

enum class diag_id : unsigned char {
#define PEXILON_CHECK_ID(id, name, severity, group, about, example) id,
    PEXILON_CHECK_DIAGNOSTICS(PEXILON_CHECK_ID)
#undef PEXILON_CHECK_ID
};

// What part of a file a diagnostic is about.
enum class diag_group : unsigned char {
    file,      // the file as a whole: how it was read, its line ends
    line,      // how the reader split and joined lines
    section,   // section headers and lines outside any section
    key,       // key names
    value,     // the value after a key
    block,     // code blocks and their markers
    control,   // a control section as a whole
    directive, // the checker's own directives in comments
};

struct diagnostic_kind {
    diag_id id;
    std::string_view name;
    pexilon_check_severity severity;
    diag_group group;
    std::string_view about;   // "a key the section does not know, ignored"
    std::string_view example; // a line that draws it
};

inline constexpr std::array diagnostic_table{
#define PEXILON_CHECK_ROW(id, name, severity, group, about, example) \
    diagnostic_kind{diag_id::id, name, severity, diag_group::group, about, example},
    PEXILON_CHECK_DIAGNOSTICS(PEXILON_CHECK_ROW)
#undef PEXILON_CHECK_ROW
};

// The row of `id`.
constexpr const diagnostic_kind &kind_of(diag_id id)
{
    return diagnostic_table[static_cast<std::size_t>(id)];
}

// Every kind, in the table's order.
std::span<const diagnostic_kind> diagnostic_kinds();

// The kind named `name`, or null.
const diagnostic_kind *find_kind(std::string_view name);

} // namespace pexilon::check
