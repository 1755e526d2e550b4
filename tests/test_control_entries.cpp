// "control parameter" sections: one control_entry each, keys and code text.
#include <malloc.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "config/parse_config.h"
#include "reader/text_source.h"
#include "support/parse_both_ways.h"

namespace {

using pexilon_test::record;
using pexilon_test::temp_file;

using pexilon_test::both;
using pexilon_test::parse;
using pexilon_test::via;

std::string code_of(const control_entry &c) { return c.code ? c.code : "<null>"; }

using field_fn = std::int64_t (*)(const control_entry &);
#define FIELD(f) [](const control_entry &c) -> std::int64_t { return c.f; }

struct key_case {
    const char *lines; // under one "control parameter" header
    field_fn field;
    std::int64_t expected;
};

// clang-format off
const key_case key_cases[] = {
    {"MIN_VALUE=-5", FIELD(min_value), -5},
    {"MIN_VALUE=-9223372036854775808", FIELD(min_value), INT64_MIN},
    {"MIN_VALUE=9223372036854775807", FIELD(min_value), INT64_MAX},
    {"MIN_VALUE=0x7FFFFFFFFFFFFFFF", FIELD(min_value), INT64_MAX},
    {"MIN_VALUE=-0x10", FIELD(min_value), 0},
    {"MAX_VALUE=4294967296", FIELD(max_value), 4294967296LL},
    {"MAX_VALUE = 0xFF ; max", FIELD(max_value), 255},
    {"DEF=010", FIELD(def), 10},
    {"DEF=-1", FIELD(def), -1},
    {"STEP=3", FIELD(step), 3},
    {"STEP=-2", FIELD(step), -2},
    {"STEP=0x1FFFFFFFF", FIELD(step), -1},    // low 32 bits
    {"STEP=4294967298", FIELD(step), 2},
    {"STEP=0x80000000", FIELD(step), INT32_MIN},
    {"step=3", FIELD(step), 0},               // keys are case-sensitive
    {"REG=1", FIELD(min_value), 0},
    {"DEF=1\nDEF=2", FIELD(def), 2},          // repeated keys overwrite
    {"DEF=1\n  7", FIELD(def), 7},            // continuation repeats the key
    {"MIN_VALUE=1\nMAX_VALUE=2\nSTEP=3\nDEF=4", FIELD(reserved), 0},
};
// clang-format on

TEST(ControlKeys, Table)
{
    for (const via how : both)
        for (const auto &c : key_cases) {
            SCOPED_TRACE(c.lines);
            record config;
            const std::string text = std::string("[control parameter]\n") + c.lines + "\n";
            EXPECT_EQ(parse(how, text, &config), 0);
            ASSERT_EQ(config.control_count, 1u);
            EXPECT_EQ(c.field(config.controls[0]), c.expected);
            EXPECT_EQ(config.param_count, 0u);
        }
}

TEST(ControlEntries, EmptySectionGivesAZeroEntry)
{
    for (const via how : both) {
        record config;
        ASSERT_EQ(parse(how, "[control parameter]\n; nothing\n", &config), 0);
        ASSERT_EQ(config.control_count, 1u);
        const control_entry zero{};
        EXPECT_EQ(std::memcmp(&config.controls[0], &zero, sizeof zero), 0);
    }
}

TEST(ControlEntries, EachSectionFillsItsOwnEntryInOrder)
{
    const char *text = "[control parameter]\n"
                       "MIN_VALUE=1\nMAX_VALUE=10\nSTEP=1\nDEF=5\n"
                       "CTRL_NAME=exposure\nFUNC_NAME=set_exposure\n"
                       "======CODE_BLOCK_START======\n"
                       "  write(0x3500, v) ; keep\n"
                       "\n"
                       "======CODE_BLOCK_END======\n"
                       "[camera parameter]\n"
                       "SIZE=4,3\n"
                       "[control parameter]\n"
                       "DEF=-3\n"
                       "CTRL_NAME=gain\n"
                       "[control parameter]\n";
    for (const via how : both) {
        record config;
        ASSERT_EQ(parse(how, text, &config), 0);
        ASSERT_EQ(config.control_count, 3u);
        const control_entry &a = config.controls[0], &b = config.controls[1];
        EXPECT_EQ(a.min_value, 1);
        EXPECT_EQ(a.max_value, 10);
        EXPECT_EQ(a.step, 1);
        EXPECT_EQ(a.def, 5);
        EXPECT_STREQ(a.ctrl_name, "exposure");
        EXPECT_STREQ(a.func_name, "set_exposure");
        EXPECT_EQ(code_of(a), "  write(0x3500, v) ; keep\n\n");
        EXPECT_EQ(b.min_value, 0);
        EXPECT_EQ(b.def, -3);
        EXPECT_STREQ(b.ctrl_name, "gain");
        EXPECT_STREQ(b.func_name, "");
        EXPECT_EQ(b.code, nullptr);
        EXPECT_EQ(config.controls[2].def, 0);
        EXPECT_EQ(config.camera.width, 4u);
        // controls holds exactly control_count entries.
        EXPECT_GE(malloc_usable_size(config.controls), 3 * sizeof(control_entry));
        EXPECT_LT(malloc_usable_size(config.controls), 4 * sizeof(control_entry));
    }
}

TEST(ControlEntries, Names)
{
    const std::string s127(127, 'n'), s150 = std::string(127, 'm') + std::string(23, 'x');
    struct {
        std::string lines;
        std::string ctrl_name, func_name;
        // clang-format off
    } cases[] = {
        {"CTRL_NAME=" + s127, s127, ""},
        {"CTRL_NAME=" + s150 + "\nFUNC_NAME=" + s150, std::string(127, 'm'),
         std::string(127, 'm')},
        {"CTRL_NAME=" + s150 + "\nCTRL_NAME=ab", "ab", ""},
        {"CTRL_NAME=first\n   second name", "second name", ""},
        {"FUNC_NAME=f\n  g ; not cut", "", "g ; not cut"},
        {"CTRL_NAME = a b ; comment", "a b", ""},
        {"ctrl_name=x", "", ""},
    };
    // clang-format on
    for (const via how : both)
        for (const auto &c : cases) {
            SCOPED_TRACE(c.lines);
            record config;
            EXPECT_EQ(parse(how, "[control parameter]\n" + c.lines + "\n", &config), 0);
            ASSERT_EQ(config.control_count, 1u);
            const control_entry &e = config.controls[0];
            EXPECT_EQ(e.ctrl_name, c.ctrl_name);
            EXPECT_EQ(e.func_name, c.func_name);
            // The rest of each field is zero, up to and including the last byte.
            for (std::size_t i = c.ctrl_name.size(); i < sizeof e.ctrl_name; ++i)
                ASSERT_EQ(e.ctrl_name[i], '\0') << i;
            for (std::size_t i = c.func_name.size(); i < sizeof e.func_name; ++i)
                ASSERT_EQ(e.func_name[i], '\0') << i;
            EXPECT_EQ(e.code, nullptr);
        }
}

TEST(ControlEntries, CodeBlocks)
{
    const char *start = "======CODE_BLOCK_START======\n";
    const char *end = "======CODE_BLOCK_END======\n";
    struct {
        std::string body; // after "[control parameter]\n"
        std::string code;
        int result;
    } cases[] = {
        {std::string(start) + "a\n" + end, "a\n", 0},
        {std::string(start) + end, "", 0},
        // A second block replaces the first.
        {std::string(start) + "one\n" + end + start + "two\n" + end, "two\n", 0},
        // Keys around a block leave it alone.
        {"DEF=1\n" + std::string(start) + "x = 1\n" + end + "DEF=2\n", "x = 1\n", 0},
        // Cut off by a header: no new entry, the text is dropped, and the
        // following keys still fill the newest entry.
        {std::string(start) + "dropped\n[control parameter]\nCTRL_NAME=after\n", "<null>", 4},
        {std::string(start) + "one\n" + end + start + "cut\n[x]\nCTRL_NAME=after\n", "one\n", 7},
        // Left open at the end of the file.
        {std::string(start) + "open\n", "<null>", 3},
    };
    for (const via how : both)
        for (const auto &c : cases) {
            SCOPED_TRACE(c.body);
            record config;
            EXPECT_EQ(parse(how, "[control parameter]\n" + c.body, &config), c.result);
            ASSERT_EQ(config.control_count, 1u);
            EXPECT_EQ(code_of(config.controls[0]), c.code);
            const bool named = c.body.find("CTRL_NAME=after") != std::string::npos;
            EXPECT_STREQ(config.controls[0].ctrl_name, named ? "after" : "");
        }
}

} // namespace

TEST(ControlEntries, HandlerWithoutBlockTakerCopiesCodeTexts)
{
    // The reader hands a code block to the line handler when no block taker
    // is given: the interpreter then keeps a copy of the text, the last block
    // of a control winning, and a block outside a control is ignored.
    const std::string text =
        "[control parameter]\n======CODE_BLOCK_START======\nfirst\n======CODE_BLOCK_END======\n"
        "======CODE_BLOCK_START======\n  second\n======CODE_BLOCK_END======\n"
        "[camera parameter]\n======CODE_BLOCK_START======\nignored\n======CODE_BLOCK_END======\n";
    record config;
    pexilon::interpreter_state state = pexilon::begin_interpreting(&config);
    EXPECT_EQ(
        pexilon::parse_bytes(text.data(), text.size(), pexilon::interpreter_handler, &state).line,
        0);
    pexilon::end_interpreting(state);
    ASSERT_EQ(config.control_count, 1u);
    EXPECT_STREQ(config.controls[0].code, "  second\n");
    EXPECT_EQ(malloc_usable_size(config.controls) / sizeof(control_entry), 1u);
}
