// Checks the input as `pexilon-config check` and `explain` do, and holds the
// checker to the library: the same result, an error at the reported line,
// no error on a file the library reads without fault, every place on a line
// of the input, and one account for every line the reader counts.
#include <string>
#include <string_view>

#include "check/checker.h"
#include "check/explained_lines.h"
#include "config/parse_config.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const long lines = fuzz::line_count(data, size);

    parsed_config record{};
    const int result = pexilon::parse_config_bytes(text.data(), size, &record).outcome.line;
    pexilon::release_record(record);

    std::size_t editor_lines = 1;
    for (const char c : text)
        editor_lines += c == '\n' ? 1 : 0;
    bool error_at_result = false;
    const pexilon::check::summary s =
        pexilon::check::check_text(text, [&](const pexilon::check::diagnostic &d) {
            FUZZ_CHECK(pexilon::check::find_kind(d.name()) != nullptr);
            FUZZ_CHECK(pexilon::check::find_kind(d.name())->severity == d.severity);
            FUZZ_CHECK(!d.message.empty());
            FUZZ_CHECK(d.where.line >= 1 && d.where.line <= editor_lines);
            FUZZ_CHECK(d.where.reader_line >= 1 &&
                       static_cast<long>(d.where.reader_line) <= lines + 1);
            FUZZ_CHECK((d.where.column == 0) == (d.where.end_column == 0));
            // An empty value is marked just past the end of its line.
            FUZZ_CHECK(d.where.column <= d.where.end_column &&
                       d.where.end_column <= d.source.size() + 2);
            for (const pexilon::check::note &n : d.notes)
                FUZZ_CHECK(n.where.line >= 1 && n.where.line <= editor_lines && !n.message.empty());
            if (d.severity == PEXILON_CHECK_ERROR &&
                static_cast<int>(d.where.reader_line) == result)
                error_at_result = true;
            return true;
        });
    FUZZ_CHECK(s.parse_result == result);
    FUZZ_CHECK((s.errors == 0) == (result == 0));
    FUZZ_CHECK(result == 0 || error_at_result);

    const std::vector<pexilon::check::explained_line> accounts = pexilon::check::explain_text(text);
    FUZZ_CHECK(static_cast<long>(accounts.size()) == lines);
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        FUZZ_CHECK(accounts[i].reader_line == i + 1);
        FUZZ_CHECK(!accounts[i].text.empty());
        FUZZ_CHECK(i == 0 || accounts[i].editor_line >= accounts[i - 1].editor_line);
    }
    return 0;
}
