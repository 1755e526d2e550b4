#include "edit/verify.h"

#include <string_view>
#include <vector>

#include <new>

#include "config/line_accounts.h"
#include "config/record_compare.h"
#include "reader/line_map.h"
#include "support/record_ops.h"

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

// The result is read with a plain listened parse, not a whole document: it
// needs only the record and the faulty lines, and a document of a large
// file costs several times the parse.
class fault_listener final : public account_listener {
public:
    explicit fault_listener(const line_map &map) : map_(map) {}
    void account(const line_account &line) noexcept override
    {
        if (line.problem == fault::none && line.refused == reject_reason::none)
            return;
        try {
            faults.push_back({map_.piece_text(line.reader_line), line.problem, line.refused});
        } catch (...) {
            failed = true;
        }
    }
    std::vector<fault_line> faults;
    bool failed = false;

private:
    const line_map &map_;
};

// The pieces past the first of lines read in more than one piece.
std::size_t split_lines(std::size_t reader_lines, std::size_t editor_lines) noexcept
{
    return reader_lines > editor_lines ? reader_lines - editor_lines : 0;
}

struct record_holder {
    parsed_config record{};
    ~record_holder() { release_record(record); }
};

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
    const line_map map(text);
    if (split_lines(map.reader_lines(), map.editor_lines()) >
        split_lines(old.pieces().size(), old.lines().size()))
        return refused("a line would pass the reader's 199 bytes and be read in pieces");
    fault_listener listener(map);
    record_holder result;
    const config_report report =
        parse_config_accounted(text.data(), text.size(), &result.record, listener);
    if (listener.failed)
        throw std::bad_alloc();
    const std::vector<fault_line> before = faults_of(old);
    const std::vector<fault_line> &after = listener.faults;
    if (removed_faults == 0 ? after != before : after.size() + removed_faults != before.size())
        return refused("the result would not keep the file's faulty lines as they are");
    // Not reached: the reader tells each fault it records on the line it
    // stands on, so texts with the same faulty lines both give 0 or neither
    // does. Kept because that result is what pexilon_parse_config's callers
    // test first.
    if ((old.report().outcome.line == 0) != (report.outcome.line == 0) && removed_faults == 0)
        return refused("the result would change the parse result");
    const parsed_config wanted = expected.view();
    if (const record_mismatch mismatch = first_mismatch(wanted, result.record))
        return refused("the result would read back otherwise than asked: " +
                       mismatch_text(mismatch) + " differs");
    return {true, std::move(text), {}};
}

} // namespace pexilon::edit
