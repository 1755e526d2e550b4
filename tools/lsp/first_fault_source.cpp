// Diagnostics for a build without the check library: the one faulty line
// the library itself reports, moved from the reader's count of 199-byte
// pieces to the editor's line.
#include <cstdlib>

#include "check_source.h"
#include "config/parse_config.h"
#include "reader/line_parser.h"
#include "support/record_ops.h"

namespace pexilon_lsp {

namespace {

const char *fault_name(pexilon::fault kind)
{
    switch (kind) {
    case pexilon::fault::no_separator:
        return "no-separator";
    case pexilon::fault::unclosed_header:
        return "unclosed-header";
    case pexilon::fault::rejected:
        return "too-many-values";
    case pexilon::fault::block_cut_off:
        return "block-cut-off";
    case pexilon::fault::block_unterminated:
        return "block-unterminated";
    case pexilon::fault::read_error:
        return "read-error";
    default:
        return "no-memory";
    }
}

// The 1-based editor line holding the reader's line `piece`.
std::size_t editor_line(std::string_view text, std::size_t piece)
{
    constexpr std::size_t piece_size = pexilon::line_buffer_size - 1;
    std::size_t line = 1;
    std::size_t at = 0;
    for (std::size_t counted = 0;; ++line) {
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        counted += (end - at + piece_size - 1) / piece_size;
        if (counted >= piece || end == text.size())
            return line;
        at = end;
    }
}

} // namespace

std::vector<found_diagnostic> check_document(std::string_view text)
{
    parsed_config record{};
    const pexilon::config_report report =
        pexilon::parse_config_bytes(text.data(), text.size(), &record);
    pexilon::release_record(record);
    std::vector<found_diagnostic> found;
    if (report.outcome.line <= 0)
        return found;
    found_diagnostic fault;
    fault.name = fault_name(report.outcome.kind);
    fault.message = pexilon::describe_fault(report);
    fault.place.line = editor_line(text, static_cast<std::size_t>(report.outcome.line));
    found.push_back(std::move(fault));
    return found;
}

} // namespace pexilon_lsp
