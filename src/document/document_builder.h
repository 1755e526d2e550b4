// How a document is filled: the line accounts of one listened parse, placed
// through the one line map, become its pieces, lines, sections and blocks.
#pragma once

#include <exception>

#include "config/line_accounts.h"
#include "document/document.h"
#include "reader/line_map.h"

namespace pexilon {

class document_builder final : public account_listener {
public:
    document_builder(document &doc, const line_map &map, document_detail detail);

    void account(const line_account &line) noexcept override;

    // After the parse: the lines and the last ranges; throws
    // what an account could not hold (std::bad_alloc).
    void finish();

private:
    void take(document_piece &piece, const line_account &line, std::size_t editor_line);
    void take_numbers(document_piece &piece, const line_account &line);
    void open_section(const line_account &line, std::size_t editor_line);
    void follow_block(const document_piece &piece, std::size_t editor_line);

    document &doc_;
    const line_map &map_;
    bool full_ = true; // the numbers too
    std::size_t controls_ = 0;
    std::size_t open_block_ = no_index;
    std::vector<std::size_t> piece_blocks_; // the block of each piece, or no_index
    std::exception_ptr error_;
};

} // namespace pexilon
