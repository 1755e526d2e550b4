// Board and register sections: the params list, its type codes and growth.
#include <malloc.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "config/parse_config.h"
#include "support/parse_both_ways.h"

namespace {

using pexilon_test::record;
using pexilon_test::temp_file;

using pexilon_test::both;
using pexilon_test::parse;
using pexilon_test::via;

struct expected_entry {
    std::uint32_t type;
    std::vector<std::uint32_t> values;
};

void expect_entries(const parsed_config &config, const std::vector<expected_entry> &expected)
{
    ASSERT_EQ(config.param_count, expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const param_entry &e = config.params[i];
        EXPECT_EQ(e.type, expected[i].type) << "entry " << i << std::hex << " type 0x" << e.type;
        ASSERT_EQ(e.value_count, expected[i].values.size()) << "entry " << i;
        for (std::size_t k = 0; k < expected[i].values.size(); ++k)
            EXPECT_EQ(e.values[k], expected[i].values[k]) << "entry " << i << " value " << k;
    }
}

// Every board and register section, written as the bracket groups of a file,
// with the section code its entries carry.
struct section_case {
    const char *header;
    std::uint32_t code;
};

const section_case sections[] = {
    {"[board parameter]", 0x02000000},
    {"[board parameter][dev2]", 0x02020000},
    {"[board parameter][dev3][inf2]", 0x02040000},
    {"[board parameter][dev3][inf3]", 0x02030000},
    {"[register parameter]", 0x03000000},
    {"[register parameter][dev3][inf2]", 0x03040000},
    {"[register parameter][dev3][inf3]", 0x03030000},
    {"[board parameter||dev2]", 0x02020000}, // the joined name written out
};

TEST(ParamEntries, TypeCodeOfEverySectionAndKey)
{
    std::string text;
    std::vector<expected_entry> expected;
    std::uint32_t n = 0;
    for (const auto &s : sections) {
        text += std::string(s.header) + "\n";
        for (const auto &[key, code] : {std::pair{"REG", 1u}, {"VRCMD", 2u}, {"DELAY", 3u}}) {
            ++n;
            const std::string number = std::to_string(n);
            text += std::string(key) + " = " + number + ", 0x" + number + "\n";
            expected.push_back({s.code | code, {n, 16 * (n / 10) + n % 10}});
        }
    }
    for (const via how : both) {
        record config;
        ASSERT_EQ(parse(how, text, &config), 0);
        expect_entries(config, expected);
    }
}

TEST(ParamEntries, Table)
{
    struct {
        const char *text;
        std::vector<expected_entry> expected;
    } cases[] = {
        // Sections interleave in file order.
        {"[register parameter]\nREG=1\n[board parameter]\nREG=2\n[register parameter]\nREG=3\n",
         {{0x03000001, {1}}, {0x02000001, {2}}, {0x03000001, {3}}}},
        {"[board parameter][dev2]\nVRCMD=0x20,0x1\n", {{0x02020002, {0x20, 1}}}},
        // Camera, control and unlisted sections between them add no entry; the
        // separator may have a blank on either side.
        {"[register parameter]\nREG=1\n[camera parameter]\nREG=2\n[control parameter]\nREG=3\n"
         "[other]\nREG=4\n[register parameter]\nREG = 5\nREG: 6\nREG :7\n",
         {{0x03000001, {1}}, {0x03000001, {5}}, {0x03000001, {6}}, {0x03000001, {7}}}},
        {"[register parameter][dev3][inf3]\nDELAY=10\n", {{0x03030003, {10}}}},
        // Other keys, other case and unlisted sections leave no entry.
        {"[board parameter]\nreg=1\nReg=1\nREGS=1\nWRITE=1\nSIZE=1,2\nDELAY =5\n",
         {{0x02000003, {5}}}},
        {"[board parameter]\nRE=1\nR=1\n=1\nDELA=1\nDELAYS=1\nVRCMDX=1\nVRCM=1\nREG\t=2\n",
         {{0x02000001, {2}}}},
        {"[register parameter][dev2]\nREG=1\n[board parameter][dev3]\nREG=1\n"
         "[board parameter ]\nREG=1\n[Board parameter]\nREG=1\n[board parameter] [dev2]\nREG=7\n",
         {{0x02000001, {7}}}},
        // An empty value still adds an entry, without numbers.
        {"[board parameter]\nREG=\nREG = ,, \n", {{0x02000001, {}}, {0x02000001, {}}}},
        {"[board parameter]\nREG=a, ,3\n", {{0x02000001, {0, 0, 3}}}},
        // A continuation line adds another entry with the previous key.
        {"[register parameter]\nREG=0x3000,1\n    0x3001,2\n\t0x3002,3\nDELAY=5\n  6\n",
         {{0x03000001, {0x3000, 1}},
          {0x03000001, {0x3001, 2}},
          {0x03000001, {0x3002, 3}},
          {0x03000003, {5}},
          {0x03000003, {6}}}},
        // An ignored key still becomes the previous name: its continuation adds nothing.
        {"[register parameter]\nNOTE=1\n  REG=2\n", {}},
        // A code block is ignored, and lines after it go on as before.
        {"[board parameter]\nREG=1\n======CODE_BLOCK_START======\nREG=2\n"
         "======CODE_BLOCK_END======\nREG=3\n",
         {{0x02000001, {1}}, {0x02000001, {3}}}},
        // Long lists of eight-digit hex numbers, and pieces that only nearly are.
        {"[board parameter]\nREG = 0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, "
         "0x3C04DC87 ; c\n  0x0D0F0FDBa, 0X3C04dc87,0x1234567, 0x123456789, 0xFFFFFFFF, "
         "0x00000000, 0x0000000G\n",
         {{0x02000001, {0x34A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04DC87}},
          {0x02000001, {0xD0F0FDBA, 0x3C04DC87, 0x1234567, 0x23456789, 0xFFFFFFFF, 0, 0}}}},
        // Inline comments are cut off the value; glued ones are not.
        {"[board parameter]\nREG=1,2 ; 3\nREG=1,2;3\nREG=4 // 5\n",
         {{0x02000001, {1, 2}}, {0x02000001, {1, 2}}, {0x02000001, {4}}}},
    };
    for (const via how : both)
        for (const auto &c : cases) {
            SCOPED_TRACE(c.text);
            record config;
            EXPECT_EQ(parse(how, c.text, &config), 0);
            expect_entries(config, c.expected);
        }
}

TEST(ParamEntries, MoreThanSixteenNumbersKeepsTheEntry)
{
    std::string text = "[board parameter]\nREG=";
    for (int i = 1; i <= 20; ++i)
        text += std::to_string(i) + ",";
    text += "\nREG=0x1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\nDELAY=9\n";
    std::vector<std::uint32_t> first16;
    for (std::uint32_t i = 1; i <= 16; ++i)
        first16.push_back(i);
    for (const via how : both) {
        record config;
        EXPECT_EQ(parse(how, text, &config), 2);
        expect_entries(config, {{0x02000001, first16}, {0x02000001, first16}, {0x02000003, {9}}});
    }
}

std::string entries_text(int count)
{
    std::string text = "[register parameter]\n";
    for (int i = 0; i < count; ++i)
        text += "REG=" + std::to_string(i) + "\n";
    return text;
}

// Room of params: 100 x (param_count / 100 + 1) entries, grown in steps of 100.
TEST(ParamEntries, GrowsInStepsOfHundred)
{
    const std::size_t entry = sizeof(param_entry);
    for (const int count : {1, 99, 100, 101, 199, 200, 250}) {
        SCOPED_TRACE(count);
        record config;
        ASSERT_EQ(parse(via::bytes, entries_text(count), &config), 0);
        ASSERT_EQ(config.param_count, static_cast<std::uint32_t>(count));
        const std::size_t room = 100 * (static_cast<std::size_t>(count) / 100 + 1);
        const std::size_t usable = malloc_usable_size(config.params);
        EXPECT_GE(usable, room * entry);
        EXPECT_LT(usable, (room + 1) * entry); // not a step ahead
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(config.params[i].values[0], static_cast<std::uint32_t>(i));
    }
}

TEST(ParamEntries, GrowthContinuesAcrossCalls)
{
    // 99 entries, then 1 and 150 more into the same record.
    record config;
    ASSERT_EQ(parse(via::file, entries_text(99), &config), 0);
    EXPECT_LT(malloc_usable_size(config.params), 101 * sizeof(param_entry));
    ASSERT_EQ(parse(via::file, entries_text(1), &config), 0);
    ASSERT_EQ(config.param_count, 100u);
    EXPECT_GE(malloc_usable_size(config.params), 200 * sizeof(param_entry));
    ASSERT_EQ(parse(via::bytes, entries_text(150), &config), 0);
    ASSERT_EQ(config.param_count, 250u);
    EXPECT_GE(malloc_usable_size(config.params), 300 * sizeof(param_entry));
    EXPECT_EQ(config.params[98].values[0], 98u);
    EXPECT_EQ(config.params[99].values[0], 0u);
    EXPECT_EQ(config.params[249].values[0], 149u);
}

} // namespace
