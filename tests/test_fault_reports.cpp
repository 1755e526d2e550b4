// What the parse reports, and how it treats a record whose lists do not add up.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/code_tables.h"
#include "config/parse_config.h"
#include "support/heap.h"
#include "support/test_support.h"

using pexilon::fault;
using pexilon::reject_reason;

namespace {

pexilon::config_report parse(const std::string &text, parsed_config *config)
{
    return pexilon::parse_config_bytes(text.data(), text.size(), config);
}

} // namespace

TEST(FaultReports, EveryKindHasItsOwnReason)
{
    const struct {
        const char *text;
        int line;
        fault kind;
        const char *reason;
    } cases[] = {
        {"a = 1\n", 0, fault::none, ""},
        {"x\n", 1, fault::no_separator, "no \"=\" or \":\" between name and value"},
        {"[x\n", 1, fault::unclosed_header, "section header without its closing"},
        {"======CODE_BLOCK_START======\n[x]\n", 2, fault::block_cut_off, "cut off"},
        {"======CODE_BLOCK_START======\n", 1, fault::block_unterminated, "not closed"},
        {"[camera parameter]\nSIZE=1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\n", 2, fault::rejected,
         "more than 16 numbers"},
    };
    for (const auto &c : cases) {
        pexilon_test::record config;
        const pexilon::config_report report = parse(c.text, &config);
        EXPECT_EQ(report.outcome.line, c.line) << c.text;
        EXPECT_EQ(report.outcome.kind, c.kind) << c.text;
        EXPECT_NE(std::string(pexilon::describe_fault(report)).find(c.reason), std::string::npos)
            << c.text << ": " << pexilon::describe_fault(report);
    }
    pexilon::config_report report;
    report.outcome = {PARSE_OPEN_FAILED, fault::cannot_open, 2};
    EXPECT_STREQ(pexilon::describe_fault(report), "cannot open");
    report.outcome = {4, fault::block_no_memory, 0};
    EXPECT_NE(std::string(pexilon::describe_fault(report)).find("memory"), std::string::npos);
    report.outcome = {4, fault::rejected, 0};
    report.reason = reject_reason::no_memory;
    EXPECT_NE(std::string(pexilon::describe_fault(report)).find("memory"), std::string::npos);
    report.reason = reject_reason::no_record;
    EXPECT_STREQ(pexilon::describe_fault(report), "no record to fill");
    report.reason = reject_reason::inconsistent_record;
    EXPECT_NE(std::string(pexilon::describe_fault(report)).find("disagree"), std::string::npos);
    report.reason = reject_reason::none;
    EXPECT_STREQ(pexilon::describe_fault(report), "line rejected");
}

TEST(FaultReports, ListPointerAndCountThatDisagreeAreRefusedNotFollowed)
{
    // A count with no array behind it must not send the parse through null.
    parsed_config config{};
    config.param_count = 5;
    config.control_count = 3;
    const pexilon::config_report params = parse("[register parameter]\nREG = 1\n", &config);
    EXPECT_EQ(params.outcome.line, 2);
    EXPECT_EQ(params.reason, reject_reason::inconsistent_record);
    const pexilon::config_report controls =
        parse("[control parameter]\nSTEP = 1\n======CODE_BLOCK_START======\nx\n"
              "======CODE_BLOCK_END======\n",
              &config);
    EXPECT_EQ(controls.outcome.line, 1);
    EXPECT_EQ(controls.reason, reject_reason::inconsistent_record);
    EXPECT_EQ(config.params, nullptr);
    EXPECT_EQ(config.controls, nullptr);
}

TEST(FaultReports, FullCountsAreNotWrappedAround)
{
    // A record whose count cannot grow: the line is refused, nothing written.
    parsed_config config{};
    config.params = static_cast<param_entry *>(std::calloc(1, sizeof(param_entry)));
    config.param_count = UINT32_MAX;
    const pexilon::config_report report = parse("[board parameter]\nREG = 1\n", &config);
    EXPECT_EQ(report.outcome.line, 2);
    EXPECT_EQ(report.reason, reject_reason::no_memory);
    EXPECT_EQ(config.param_count, UINT32_MAX);
    std::free(config.params);
}

TEST(FaultReports, ArraySizesThatOverflowAreNotAllocated)
{
    EXPECT_EQ(pexilon::heap_realloc_array(nullptr, SIZE_MAX / 8, 72), nullptr);
}

TEST(FaultReports, CodeTablesNameTheirCodes)
{
    EXPECT_STREQ(pexilon::lookup_name(pexilon::section_codes, 0x03030000u),
                 "register parameter||dev3||inf3");
    EXPECT_STREQ(pexilon::lookup_name(pexilon::param_keys, 2), "VRCMD");
    EXPECT_EQ(pexilon::lookup_name(pexilon::section_codes, 0x05000000u), nullptr);
}
