// Lines the reader does not read as they are written: a file whose lines
// end in CR alone, and a line over 199 bytes, read in pieces (and a number
// a piece's end cuts).
#include <cctype>

#include "check/explain_words.h"
#include "check/line_rules.h"
#include "check/run_rules.h"
#include "check/value_rules.h"
#include "config/value_list.h"
#include "support/hex_text.h"

namespace pexilon::check {

namespace {

// The number a piece's cut falls in, as the line writes it, and what the
// record got of it; empty when the cut falls between words.
std::string cut_number_words(run_state &s, std::size_t line, std::string_view source,
                             std::size_t column)
{
    if (line != s.cut_line + 1 || column >= source.size() ||
        !std::isalnum(static_cast<unsigned char>(source[column])))
        return {};
    std::size_t begin = column;
    while (begin > 0 && std::isalnum(static_cast<unsigned char>(source[begin - 1])))
        --begin;
    std::size_t end = column;
    while (end < source.size() && std::isalnum(static_cast<unsigned char>(source[end])))
        ++end;
    return "; the cut falls inside '" + std::string(source.substr(begin, end - begin)) +
           "': " + s.cut_words;
}

} // namespace

// Line ends of CR alone: the reader ends a line at LF only, so the file
// is one long line.
void check_line_ends(run_state &s)
{
    if (!lines_end_in_cr_alone(s.text))
        return;
    s.cr_only = true;
    s.add(diag_id::line_ends, s.whole(1),
          "the lines of this file end in CR alone: the reader ends a line at LF only, so it "
          "reads the file as one line" +
              (s.text.size() > piece_limit
                   ? ", in pieces of " + std::to_string(piece_limit) + " bytes"
                   : std::string()) +
              ", and its settings are not read as written",
          "convert the line ends to LF (or CR LF)");
}

// A piece after the first of a line over 199 bytes is read as a line of
// its own; unless it is blank, the line is not read as written.
// A piece that ends inside a number: the number as far as the piece
// goes is what the record got. Kept for the split-line warning of the
// piece after it.
void note_cut_number(run_state &s, const line_account &line)
{
    const std::string_view piece = s.line_text();
    const auto &numbers = line.key.numbers;
    if (numbers.empty() || piece.empty() || piece.back() == '\n' ||
        numbers.size() > max_list_values)
        return;
    const number_account &last = numbers.back();
    if (last.end != piece.size() || last.begin + last.taken != last.end || !last.digits)
        return;
    const key_row &key = *line.key.key;
    const std::string stored =
        last.hex ? std::string(hex_spelling(static_cast<std::uint64_t>(last.stored), 0).c_str())
                 : std::to_string(last.stored);
    s.cut_line = line.reader_line;
    s.cut_words = (key.form == value_form::number
                       ? key_label(key)
                       : std::string(key.name) + "'s number " + std::to_string(numbers.size())) +
                  " got " + stored;
}

void note_split(run_state &s, line_kind kind)
{
    const std::size_t line = s.line->reader_line;
    const piece &p = s.line_piece;
    if (p.index < 2 || kind == line_kind::blank || p.editor_line == s.split_warned)
        return;
    const std::string_view source = s.map.line_text(p.editor_line);
    if (source.size() <= piece_limit || p.column >= source.size())
        return; // only its line end was left over
    s.split_warned = p.editor_line;
    diagnostic &d =
        s.add(diag_id::split_line, {line, false, {0, source.size() - p.column}},
              "this line has " + std::to_string(source.size()) + " bytes; the reader takes " +
                  std::to_string(piece_limit) + " at a time, so the text from column " +
                  std::to_string(p.column + 1) + " on is read as " + kind_words(kind) +
                  cut_number_words(s, line, source, p.column),
              "break the line, or shorten it to " + std::to_string(piece_limit) + " bytes");
    d.notes.push_back(
        {s.whole(line - 1), "pexilon_parse_config counts this line as lines " +
                                std::to_string(line - p.index + 1) + " to " +
                                std::to_string(line - p.index + s.map.pieces_of(p.editor_line)) +
                                ", so its later line numbers differ from an editor's"});
}

} // namespace pexilon::check
