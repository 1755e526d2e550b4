// The names of the diagnostics: stable, since -Wno-NAME and editors use them.
#include "check/checker.h"

namespace pexilon::check {

const std::vector<diagnostic_kind> &diagnostic_kinds()
{
    static const std::vector<diagnostic_kind> kinds = {
        {"no-separator", PEXILON_CHECK_ERROR,
         "a line with no \"=\" or \":\" before its end or an inline comment", "CFG_MODE 1"},
        {"unclosed-header", PEXILON_CHECK_ERROR, "a section header without its closing \"]\"",
         "[camera parameter"},
        {"too-many-values", PEXILON_CHECK_ERROR,
         "a list of more than 16 numbers; the first 16 are kept",
         "REG = 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17"},
        {"block-cut-off", PEXILON_CHECK_ERROR,
         "a section header inside a code block: the block is lost and the header is used up",
         "[camera parameter]   (before ======CODE_BLOCK_END======)"},
        {"block-unterminated", PEXILON_CHECK_ERROR,
         "a code block still open at the end of the file: its text is lost",
         "======CODE_BLOCK_START======   (and no end marker)"},
        {"read-error", PEXILON_CHECK_ERROR, "the file could not be read to its end", ""},
        {"no-memory", PEXILON_CHECK_ERROR, "a line or block that could not be stored", ""},
        {"unknown-section", PEXILON_CHECK_WARNING,
         "a header that names no known section: its lines are ignored", "[register paramter]"},
        {"unknown-key", PEXILON_CHECK_WARNING, "a key the section does not know, ignored",
         "REGG = 0x0100, 0x01"},
        {"no-section", PEXILON_CHECK_WARNING,
         "a name/value line before any section header, ignored", "SIZE = 640, 480   (line 1)"},
        {"continuation", PEXILON_CHECK_WARNING,
         "an indented line read as the continuation of the line above", "    STEP = 1"},
        {"split-line", PEXILON_CHECK_WARNING,
         "a line over 199 bytes, read in pieces of which each counts as a line",
         "; a comment of 250 characters ..."},
        {"number-syntax", PEXILON_CHECK_WARNING,
         "text after a number, two numbers without a comma, or no number at all", "DELAY = 5ms"},
        {"number-range", PEXILON_CHECK_WARNING,
         "a number that does not fit its field and was cut or saturated", "BIT_WIDTH = 300"},
        {"text-truncated", PEXILON_CHECK_WARNING,
         "a TYPE over 50 characters or a name over 127, cut", "TYPE = (60 characters)"},
        {"value-count", PEXILON_CHECK_WARNING,
         "SIZE or FORMAT without exactly two numbers, or a list where one number is read",
         "SIZE = 1440"},
        {"duplicate-key", PEXILON_CHECK_WARNING,
         "a camera key, or a key of one control, given twice: the last wins", "SIZE = 640, 480"},
        {"control-range", PEXILON_CHECK_WARNING,
         "MIN_VALUE above MAX_VALUE, DEF outside them, or a STEP of 0 or less", "STEP = 0"},
        {"block-replaced", PEXILON_CHECK_WARNING,
         "a second code block in one control replaces the first",
         "======CODE_BLOCK_START======   (the second in a control)"},
        {"block-ignored", PEXILON_CHECK_WARNING, "a code block outside a control section",
         "======CODE_BLOCK_START======   (under [camera parameter])"},
        {"line-ends", PEXILON_CHECK_WARNING,
         "a file whose lines end in CR alone: it reads as one long line",
         "[camera parameter]<CR>SIZE = 640, 480<CR>"},
        {"header-text", PEXILON_CHECK_WARNING,
         "text after a header's closing \"]\" that is no comment, ignored",
         "[register parameter] [dev3][inf2]"},
        {"empty-value", PEXILON_CHECK_WARNING,
         "a REG, DELAY or other list key with no value: "
         "an entry with no numbers",
         "DELAY ="},
        {"empty-item", PEXILON_CHECK_WARNING,
         "two commas with nothing between them: the item is skipped, not read as 0",
         "REG = 0x05,, 0x00"},
        {"quoted-text", PEXILON_CHECK_WARNING, "a text value in quotes: the quotes are kept",
         "CTRL_NAME = \"Exposure\""},
        {"leading-zero", PEXILON_CHECK_WARNING,
         "a number with a leading zero, read as decimal where octal may be meant", "DEF = 010"},
        {"block-marker", PEXILON_CHECK_WARNING,
         "a code-block marker with text after it, misspelt, out of place or unmatched",
         "=====CODE_BLOCK_START======"},
        {"control-incomplete", PEXILON_CHECK_WARNING,
         "a control section without CTRL_NAME or STEP, or with nothing at all",
         "[control parameter]   (and no STEP)"},
        {"duplicate-control", PEXILON_CHECK_WARNING, "two controls with the same CTRL_NAME",
         "CTRL_NAME = Gain   (in two controls)"},
        {"suppression", PEXILON_CHECK_WARNING,
         "a pexilon-config: directive that names no warning, or turns nothing off",
         "; pexilon-config: disable-next-line=unknown-sektion"},
    };
    return kinds;
}

const diagnostic_kind *find_kind(std::string_view name)
{
    for (const diagnostic_kind &kind : diagnostic_kinds())
        if (kind.name == name)
            return &kind;
    return nullptr;
}

} // namespace pexilon::check
