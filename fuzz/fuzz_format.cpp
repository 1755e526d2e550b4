// Formats the input as `pexilon-config fmt` does and holds the formatter to
// its promises: it never refuses (a refusal is a layout rule that missed a
// case), the library reads the same record, result and diagnostics from the
// new text, a second run changes nothing, and no line over 199 bytes is one
// the input did not have.
#include <string>
#include <string_view>
#include <vector>

#include "check/checker.h"
#include "config/parse_config.h"
#include "format/formatter.h"
#include "fuzz_support.h"

namespace {

struct seen {
    std::string_view name;
    pexilon_check_severity severity;
    bool operator==(const seen &) const = default;
};

std::vector<seen> diagnostics_of(std::string_view text)
{
    std::vector<seen> out;
    pexilon::check::check_text(text, [&](const pexilon::check::diagnostic &d) {
        out.push_back({d.name(), d.severity});
        return true;
    });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    // The last byte picks the options, so that every layout is explored.
    pexilon::format::format_options options;
    const unsigned pick = size == 0 ? 0 : data[size - 1];
    options.align = (pick & 1) != 0;
    options.digits = static_cast<pexilon::format::hex_case>((pick >> 1) % 3);

    const pexilon::format::format_result once = pexilon::format::format_text(text, options);
    FUZZ_CHECK(once.formatted);
    const std::string &out = once.text;

    parsed_config before{}, after{};
    const pexilon::config_report a = pexilon::parse_config_bytes(text.data(), size, &before);
    const pexilon::config_report b = pexilon::parse_config_bytes(out.data(), out.size(), &after);
    FUZZ_CHECK(a.outcome.line == b.outcome.line && a.outcome.kind == b.outcome.kind);
    FUZZ_CHECK(!pexilon::first_mismatch(before, after));
    pexilon::release_record(before);
    pexilon::release_record(after);

    FUZZ_CHECK(diagnostics_of(text) == diagnostics_of(out));

    const pexilon::format::format_result twice = pexilon::format::format_text(out, options);
    FUZZ_CHECK(twice.formatted && twice.text == out);

    // A line read in pieces must be one of the input's own.
    for (std::size_t start = 0; start < out.size();) {
        const std::size_t newline = out.find('\n', start);
        const std::size_t end = newline == std::string::npos ? out.size() : newline + 1;
        if (end - start > 199)
            FUZZ_CHECK(text.find(std::string_view(out).substr(start, end - start)) !=
                       std::string_view::npos);
        start = end;
    }
    return 0;
}
