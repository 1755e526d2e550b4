#include "document/document_builder.h"

#include <algorithm>

#include "config/vocabulary.h"

namespace pexilon {

namespace {

byte_range in_piece(const document_piece &piece, text_span span) noexcept
{
    const std::size_t size = piece.bytes.size();
    const std::size_t begin = std::min(span.begin, size);
    return {piece.bytes.begin + begin, piece.bytes.begin + std::clamp(span.end, begin, size)};
}

} // namespace

document_builder::document_builder(document &doc, const line_map &map, document_detail detail)
    : doc_(doc), map_(map), full_(detail == document_detail::full)
{
    // Every piece the map knows, read or not: a parse that stops early
    // still leaves each byte of the text in a line.
    doc_.pieces_.resize(map.reader_lines());
    piece_blocks_.assign(map.reader_lines(), no_index);
    if (full_)
        doc_.numbers_.reserve(map.reader_lines() * 2);
    for (std::size_t r = 1; r <= map.reader_lines(); ++r) {
        const piece at = map.piece_at(r);
        document_piece &p = doc_.pieces_[r - 1];
        p.reader_line = r;
        p.bytes = {at.begin, at.begin + map.piece_text(at).size()};
    }
}

void document_builder::account(const line_account &line) noexcept
{
    if (error_ || line.reader_line < 1 || line.reader_line > doc_.pieces_.size())
        return;
    try {
        take(doc_.pieces_[line.reader_line - 1], line, map_.editor_line(line.reader_line));
    } catch (...) {
        error_ = std::current_exception();
    }
}

void document_builder::take(document_piece &piece, const line_account &line,
                            std::size_t editor_line)
{
    piece.accounted = true;
    piece.kind = line.kind;
    piece.name = in_piece(piece, line.name);
    piece.value = in_piece(piece, line.value);
    piece.rest = in_piece(piece, line.rest);
    piece.fate = line.fate;
    piece.cause = line.cause;
    piece.refused = line.refused;
    piece.problem = line.problem;
    if (line.kind == line_kind::continuation)
        piece.continues = line.continues;
    if (line.kind == line_kind::header)
        open_section(line, editor_line - 1);
    piece.section = doc_.sections_.empty() ? no_index : doc_.sections_.size() - 1;
    if (line.fate == line_fate::stored)
        take_numbers(piece, line);
    if (line.fate == line_fate::code)
        piece.index = line.key.index;
    follow_block(piece, editor_line - 1);
}

void document_builder::take_numbers(document_piece &piece, const line_account &line)
{
    piece.key = line.key.key;
    piece.index = line.key.index;
    piece.changed = line.key.changed;
    if (piece.key->target == key_target::control && piece.key->code == key_ctrl_name &&
        !doc_.sections_.empty())
        doc_.sections_.back().ctrl_name = piece.value;
    if (!full_)
        return;
    piece.first_number = doc_.numbers_.size();
    piece.number_count = line.key.numbers.size();
    std::size_t order = 0;
    for (const number_account &n : line.key.numbers) {
        document_number number;
        number.written = in_piece(piece, {n.begin, n.end});
        number.order = order++;
        number.digits = n.digits;
        number.hex = n.hex;
        number.saturated = n.saturated;
        number.read = n.read;
        number.stored = n.stored;
        doc_.numbers_.push_back(number);
    }
}

void document_builder::open_section(const line_account &line, std::size_t editor_line)
{
    // A header in the second piece of a long line ends the section opened
    // in its first piece on that same line.
    if (!doc_.sections_.empty()) {
        document_section &previous = doc_.sections_.back();
        previous.last_line =
            editor_line > previous.first_line ? editor_line - 1 : previous.first_line;
    }
    document_section section;
    section.first_line = editor_line;
    section.last_line = editor_line;
    section.name = line.section;
    section.code = line.section_code;
    if (section.code == section_control) {
        section.control = controls_++;
        doc_.controls_.push_back(doc_.sections_.size());
    }
    doc_.sections_.push_back(std::move(section));
}

void document_builder::follow_block(const document_piece &piece, std::size_t editor_line)
{
    switch (piece.kind) {
    case line_kind::block_start:
        open_block_ = doc_.blocks_.size();
        doc_.blocks_.push_back({editor_line, editor_line, no_index});
        break;
    case line_kind::block_line:
    case line_kind::block_end:
    case line_kind::block_cut:
        if (open_block_ == no_index)
            return;
        doc_.blocks_[open_block_].last_line = editor_line;
        if (piece.fate == line_fate::code)
            doc_.blocks_[open_block_].control = piece.index;
        break;
    default:
        return;
    }
    piece_blocks_[piece.reader_line - 1] = open_block_;
    if (piece.kind == line_kind::block_end || piece.kind == line_kind::block_cut)
        open_block_ = no_index;
}

void document_builder::finish()
{
    if (error_)
        std::rethrow_exception(error_);
    doc_.lines_.resize(map_.editor_lines());
    std::size_t next_piece = 0;
    for (std::size_t i = 0; i < doc_.lines_.size(); ++i) {
        document_line &line = doc_.lines_[i];
        line.first_piece = next_piece;
        line.piece_count = std::max<std::size_t>(map_.pieces_of(i + 1), 1);
        next_piece += line.piece_count;
        line.bytes = {doc_.pieces_[line.first_piece].bytes.begin,
                      doc_.pieces_[next_piece - 1].bytes.end};
        line.block = piece_blocks_[line.first_piece];
    }
    if (!doc_.sections_.empty())
        doc_.sections_.back().last_line = doc_.lines_.empty() ? 0 : doc_.lines_.size() - 1;
}

} // namespace pexilon
