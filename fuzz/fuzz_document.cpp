// Builds the document from the input and checks that its parts print the
// input back byte for byte, lie end to end, and that its record is the one
// the plain in-memory parse gives.
#include <string>

#include "config/parse_config.h"
#include "document/document.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const pexilon::document doc(text);
    FUZZ_CHECK(doc.print() == text);
    std::size_t at = 0;
    for (std::size_t line = 0; line < doc.lines().size(); ++line)
        for (const pexilon::line_part &part : doc.parts_of(line)) {
            FUZZ_CHECK(part.bytes.begin == at && part.bytes.end > at);
            at = part.bytes.end;
        }
    FUZZ_CHECK(at == size);
    for (const pexilon::document_piece &piece : doc.pieces())
        FUZZ_CHECK(piece.accounted);
    for (const pexilon::document_section &section : doc.sections())
        FUZZ_CHECK(section.first_line <= section.last_line &&
                   section.last_line < doc.lines().size());

    parsed_config plain{};
    const pexilon::config_report report = pexilon::parse_config_bytes(text.data(), size, &plain);
    FUZZ_CHECK(report.outcome.line == doc.report().outcome.line);
    FUZZ_CHECK(report.outcome.kind == doc.report().outcome.kind);
    fuzz::check_record(doc.record());
    fuzz::check_same_record(doc.record(), plain);
    pexilon::release_record(plain);
    return 0;
}
