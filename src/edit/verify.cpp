#include "edit/verify.h"

#include <string_view>
#include <vector>

#include "config/record_compare.h"

namespace pexilon::edit {

namespace {

struct fault_line {
    std::string_view bytes;
    fault problem;
    reject_reason refused;
    bool operator==(const fault_line &) const = default;
};

std::vector<fault_line> faults_of(const document &doc)
{
    std::vector<fault_line> faults;
    for (const document_piece &piece : doc.pieces())
        if (piece.problem != fault::none || piece.refused != reject_reason::none)
            faults.push_back({doc.bytes(piece.bytes), piece.problem, piece.refused});
    return faults;
}

std::size_t split_lines(const document &doc)
{
    std::size_t count = 0;
    for (const document_line &line : doc.lines())
        count += line.piece_count > 1 ? 1 : 0;
    return count;
}

std::string mismatch_text(const record_mismatch &mismatch)
{
    std::string part = mismatch.part;
    if (part == "params")
        return "entries[" + std::to_string(mismatch.index) + "]";
    if (part == "controls")
        return "controls[" + std::to_string(mismatch.index) + "]";
    if (part == "param_count")
        return "the number of entries";
    if (part == "control_count")
        return "the number of controls";
    return part;
}

} // namespace

edit_outcome refused(std::string reason) { return {false, {}, std::move(reason)}; }

bool holds_already(const document &doc, record_copy &expected)
{
    const parsed_config wanted = expected.view();
    return !first_mismatch(wanted, doc.record());
}

edit_outcome verified(const document &old, std::string text, record_copy &expected,
                      std::size_t removed_faults)
{
    const document result(text);
    if (split_lines(result) > split_lines(old))
        return refused("a line would pass the reader's 199 bytes and be read in pieces");
    const std::vector<fault_line> before = faults_of(old);
    const std::vector<fault_line> after = faults_of(result);
    if (removed_faults == 0 ? after != before : after.size() + removed_faults != before.size())
        return refused("the result would not keep the file's faulty lines as they are");
    if ((old.report().outcome.line == 0) != (result.report().outcome.line == 0) &&
        removed_faults == 0)
        return refused("the result would change the parse result");
    const parsed_config wanted = expected.view();
    if (const record_mismatch mismatch = first_mismatch(wanted, result.record()))
        return refused("the result would read back otherwise than asked: " +
                       mismatch_text(mismatch) + " differs");
    return {true, std::move(text), {}};
}

} // namespace pexilon::edit
