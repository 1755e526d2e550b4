// Rules over the shape of a line as written, drawn from its account: text
// after a header, values left empty or quoted, numbers written as another
// base would read them, and code-block markers that are not read as such.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "check/value_rules.h"
#include "config/line_accounts.h"

namespace pexilon::check {

// A header with text after its closing "]" that is not a comment.
std::optional<diagnostic> check_header_rest(const line_account &line, std::string_view text);

// A stored key line: an empty value, an empty list item, a quoted text, a
// number with a leading zero. `text` is the line as the reader read it.
void check_written_form(const line_account &line, std::string_view text,
                        std::vector<diagnostic> &out);

// An indented line that continues a key with a comment after its numbers:
// no comment is recognised there, so the comment is read as part of the
// value. Diagnostics of `found` about the comment's text are dropped.
void check_continuation_comment(const line_account &line, std::string_view text,
                                std::vector<diagnostic> &found);

// Whether `line` may be a code-block marker or near one: a code line, a
// faulty line, or a name/value line with no name (a name ends at "=", so a
// line with one is no marker). Inline, so that the checker calls
// check_block_marker only for these.
inline bool may_hold_marker(const line_account &line)
{
    return line.kind == line_kind::block_line || line.kind == line_kind::faulty ||
           (line.kind == line_kind::name_value && line.name.begin == line.name.end);
}

// A line meant as a code-block marker but not read as one: a marker with a
// comment after it, a misspelt one, a start marker inside an open block, an
// end marker with no block open. `block_start` is the line of the open
// block's start marker for block lines. Only for a line may_hold_marker
// takes.
std::optional<diagnostic> check_block_marker(const line_account &line, std::string_view text);

// Whether the lines of `text` end in CR alone: it holds no LF, and a CR
// with more than blanks after it. The reader ends a line at LF only, so it
// reads such a file as one long line; the checker warns of it, and the
// formatter leaves the file as it is.
inline bool lines_end_in_cr_alone(std::string_view text)
{
    if (text.find('\n') != std::string_view::npos)
        return false;
    const std::size_t cr = text.find('\r');
    return cr != std::string_view::npos &&
           text.find_first_not_of("\r \t", cr) != std::string_view::npos;
}

// Whether the first word of `text` is a code-block marker or near one, as
// check_block_marker reads it.
bool looks_like_marker(std::string_view text);

} // namespace pexilon::check
