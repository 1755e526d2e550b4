// pexilon_parse_config and the record across calls: open failures, untouched
// records, repeated parses, a null record and the first-fault rule.
#include <malloc.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "config/parse_config.h"
#include "support/parse_both_ways.h"
#include "support/test_support.h"

namespace {

using pexilon_test::record;
using pexilon_test::temp_file;

using pexilon_test::both;
using pexilon_test::parse;
using pexilon_test::via;

int parse_file(std::string_view text, parsed_config *config)
{
    const temp_file file(text);
    return pexilon_parse_config(file.path(), config);
}

int parse_bytes(std::string_view text, parsed_config *config)
{
    return pexilon::parse_config_bytes(text.data(), text.size(), config).outcome.line;
}

const char *const full_text = "[camera parameter]\n"
                              "SIZE=640,480\n"
                              "TYPE=sensor\n"
                              "[register parameter]\n"
                              "REG=0x3000,1\n"
                              "[board parameter][dev2]\n"
                              "VRCMD=2\n"
                              "[control parameter]\n"
                              "DEF=4\n"
                              "======CODE_BLOCK_START======\n"
                              "go\n"
                              "======CODE_BLOCK_END======\n";

TEST(Record, UnopenableInputLeavesTheRecordAlone)
{
    const temp_file existing("x=1\n");
    const std::string missing = std::string(existing.path()) + ".missing";
    const char *paths[] = {missing.c_str(), "/tmp", "/", "", nullptr};
    for (const char *path : paths) {
        SCOPED_TRACE(path ? path : "<null>");
        parsed_config config;
        std::memset(&config, 0xA5, sizeof config);
        parsed_config before;
        std::memcpy(&before, &config, sizeof config);
        EXPECT_EQ(pexilon_parse_config(path, &config), PARSE_OPEN_FAILED);
        EXPECT_EQ(std::memcmp(&config, &before, sizeof config), 0);
        EXPECT_EQ(pexilon_parse_config(path, nullptr), PARSE_OPEN_FAILED);
    }
}

TEST(Record, InputWithoutHandlerCallsLeavesTheRecordAlone)
{
    const char *texts[] = {"", "\n\n", "; only\n# comments\n// here\n", "\xEF\xBB\xBF\n"};
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        record config;
        ASSERT_EQ(parse_file(full_text, &config), 0);
        parsed_config before;
        std::memcpy(&before, &config, sizeof config);
        EXPECT_EQ(parse_file(text, &config), 0);
        EXPECT_EQ(std::memcmp(&config, &before, sizeof config), 0);
        EXPECT_EQ(parse_bytes(text, &config), 0);
        EXPECT_EQ(std::memcmp(&config, &before, sizeof config), 0);
    }
}

TEST(Record, UnlistedSectionsStoreNothing)
{
    const char *text = "[camera]\nSIZE=1,2\n[Control Parameter]\nDEF=1\n"
                       "[register parameter ]\nREG=1\n[controlparameter]\n"
                       "======CODE_BLOCK_START======\nx\n======CODE_BLOCK_END======\n";
    record config;
    EXPECT_EQ(parse_file(text, &config), 0);
    const parsed_config zero{};
    EXPECT_EQ(std::memcmp(&config, &zero, sizeof zero), 0);
}

TEST(Record, SameFileTwiceDoublesTheLists)
{
    record config;
    ASSERT_EQ(parse_file(full_text, &config), 0);
    const camera_settings camera = config.camera;
    ASSERT_EQ(config.param_count, 2u);
    ASSERT_EQ(config.control_count, 1u);
    ASSERT_EQ(parse_file(full_text, &config), 0);
    EXPECT_EQ(std::memcmp(&config.camera, &camera, sizeof camera), 0);
    ASSERT_EQ(config.param_count, 4u);
    ASSERT_EQ(config.control_count, 2u);
    const std::uint32_t types[] = {0x03000001, 0x02020002, 0x03000001, 0x02020002};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(config.params[i].type, types[i]) << i;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(config.controls[i].def, 4) << i;
        ASSERT_NE(config.controls[i].code, nullptr) << i;
        EXPECT_STREQ(config.controls[i].code, "go\n") << i;
    }
    EXPECT_NE(config.controls[0].code, config.controls[1].code);
    EXPECT_GE(malloc_usable_size(config.controls), 2 * sizeof(control_entry));
    EXPECT_LT(malloc_usable_size(config.controls), 3 * sizeof(control_entry));
    EXPECT_GE(malloc_usable_size(config.params), 100 * sizeof(param_entry));
}

TEST(Record, CameraFieldsNotNamedKeepTheirValues)
{
    record config;
    ASSERT_EQ(parse_file("[camera parameter]\nSIZE=640,480\nTYPE=abc\n", &config), 0);
    ASSERT_EQ(parse_file("[camera parameter]\nBIT_WIDTH=12\nSIZE=1\n", &config), 0);
    EXPECT_EQ(config.camera.width, 640u);
    EXPECT_EQ(config.camera.height, 480u);
    EXPECT_STREQ(config.camera.type, "abc");
    EXPECT_EQ(config.camera.bit_width, 12);
}

// With a null record every handler call is refused: the result is the first
// line that is faulty or makes a handler call, unless a code block is cut off.
TEST(Record, NullRecord)
{
    struct {
        const char *text;
        int result;
        // clang-format off
    } cases[] = {
        {"", 0},
        {"; comment\n\n# more\n", 0},
        {"[camera parameter]\nSIZE=1,2\n", 1},
        {"; c\n\n[unlisted]\n", 3},                    // headers of any section
        {"; c\nname = value\n", 2},
        {"=5\n", 1},                                   // an empty name too
        {"#\nbroken\n[camera parameter]\n", 2},        // a faulty line first
        {"; c\n======CODE_BLOCK_START======\nx\n======CODE_BLOCK_END======\n", 4},
        {"[a]\n======CODE_BLOCK_START======\nx\n", 3}, // open block replaces line 1
        {"[a]\n======CODE_BLOCK_START======\n[b]\nk=v\n", 3},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parse_file(c.text, nullptr), c.result);
        EXPECT_EQ(parse_bytes(c.text, nullptr), c.result);
    }
    const std::string text = "[camera parameter]\n";
    const auto report = pexilon::parse_config_bytes(text.data(), text.size(), nullptr);
    EXPECT_EQ(report.outcome.kind, pexilon::fault::rejected);
    EXPECT_EQ(report.reason, pexilon::reject_reason::no_record);
}

// Only the first faulty line is reported; every other line is still applied.
TEST(Record, FirstFaultIsReportedAndTheRestApplied)
{
    const std::string many = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17";
    const std::string text = "[camera parameter]\n"   // 1
                             "SIZE=640,480\n"         // 2
                             "no separator here\n"    // 3
                             "BIT_WIDTH=10\n"         // 4
                             "[register parameter\n"  // 5: unclosed, section stays
                             "TYPE=still camera\n"    // 6
                             "[register parameter]\n" // 7
                             "REG=" +
                             many +
                             "\n"                    // 8: rejected
                             "REG=5\n"               // 9
                             "[control parameter]\n" // 10
                             "DEF=3\n";              // 11
    record config;
    EXPECT_EQ(parse_file(text, &config), 3);
    EXPECT_EQ(config.camera.width, 640u);
    EXPECT_EQ(config.camera.bit_width, 10);
    EXPECT_STREQ(config.camera.type, "still camera");
    ASSERT_EQ(config.param_count, 2u);
    EXPECT_EQ(config.params[0].value_count, 16);
    EXPECT_EQ(config.params[1].values[0], 5u);
    ASSERT_EQ(config.control_count, 1u);
    EXPECT_EQ(config.controls[0].def, 3);

    record again;
    EXPECT_EQ(parse_file(text.substr(text.find("[register parameter]")), &again), 2);
}

// A list with a count of 0 is started afresh with its first entry, whatever
// its pointer holds: that pointer stays the caller's, neither freed nor grown
// nor written through. Both lists behave alike.
TEST(Record, CountZeroWithAStalePointerStartsAFreshList)
{
    const struct {
        const char *text;
        std::uint32_t params;
        std::uint32_t controls;
    } cases[] = {
        {"[register parameter]\nREG=1\n", 1, 0},
        {"[control parameter]\nDEF=4\n", 0, 1},
        {"[control parameter]\n[board parameter]\nDELAY=2\n[control parameter]\n", 1, 2},
        {"[camera parameter]\nSIZE=1,2\n", 0, 0},
    };
    constexpr std::size_t stale_size = 64;
    for (const via how : both)
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(pexilon_test::name(how)) + ": " + c.text);
            void *stale_params = std::malloc(stale_size);
            void *stale_controls = std::malloc(stale_size);
            ASSERT_TRUE(stale_params && stale_controls);
            std::memset(stale_params, 0x5A, stale_size);
            std::memset(stale_controls, 0x5A, stale_size);
            parsed_config config{};
            config.params = static_cast<param_entry *>(stale_params);
            config.controls = static_cast<control_entry *>(stale_controls);

            EXPECT_EQ(parse(how, c.text, &config), 0);
            EXPECT_EQ(config.param_count, c.params);
            EXPECT_EQ(config.control_count, c.controls);
            EXPECT_EQ(config.params == stale_params, c.params == 0);
            EXPECT_EQ(config.controls == stale_controls, c.controls == 0);
            const std::string untouched(stale_size, '\x5A');
            EXPECT_EQ(std::string(static_cast<char *>(stale_params), stale_size), untouched);
            EXPECT_EQ(std::string(static_cast<char *>(stale_controls), stale_size), untouched);

            // The stale blocks are the caller's to free, the new lists too.
            std::free(stale_params);
            std::free(stale_controls);
            if (c.params == 0)
                config.params = nullptr;
            if (c.controls == 0)
                config.controls = nullptr;
            pexilon::release_record(config);
        }
}

} // namespace
