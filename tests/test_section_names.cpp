// The two spellings of a section: the name the line parser reports (groups
// joined by "||") and the header that names it, written and read back by
// the parser itself.
#include <string>

#include <gtest/gtest.h>

#include "config/section_names.h"
#include "config/vocabulary.h"
#include "support/event_cases.h"

namespace {

using namespace pexilon_test;

TEST(SectionNames, BothWays)
{
    const struct {
        const char *section;
        const char *header;
        // clang-format off
    } cases[] = {
        {"camera parameter", "[camera parameter]"},
        {"board parameter||dev3||inf2", "[board parameter][dev3][inf2]"},
        {"", "[]"},
        {"a||", "[a][]"},
        {"||b", "[][b]"},
        {"a|b", "[a|b]"},     // one bar is text
        {"a|||b", "[a][|b]"},  // the first two bars join
        // clang-format on
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.section);
        EXPECT_EQ(pexilon::header_text(c.section), c.header);
        const std::string header = c.header;
        EXPECT_EQ(pexilon::section_name(header.substr(1, header.size() - 2)), c.section);
    }
}

// Every section of the vocabulary, written as its header, is read by the
// line parser as that section.
TEST(SectionNames, HeadersReadAsTheirSections)
{
    for (const pexilon::code_row *row = pexilon::section_codes; row->name != nullptr; ++row) {
        const std::string written = pexilon::header_text(row->name);
        check_events({row->name, written + "\n", {header(row->name)}});
    }
}

} // namespace
