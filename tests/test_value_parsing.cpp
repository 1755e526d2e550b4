// Numbers, number lists and the code tables of the configuration vocabulary.
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/value_parsing.h"

namespace {

using pexilon::parse_int32;
using pexilon::parse_int64;
using pexilon::parse_value_list;

struct int32_case {
    const char *text;
    std::uint32_t expected;
};

// clang-format off
const int32_case int32_cases[] = {
    {"0", 0},
    {"42", 42},
    {"010", 10},               // a leading zero is decimal, never octal
    {"0x10", 16},
    {"0X1f", 31},
    {"0xFFFFFFFF", 0xFFFFFFFFu}, // eight F digits: all bits
    {"-1", 0xFFFFFFFFu},         // the same bits
    {"-2147483648", 0x80000000u},
    {"4294967296", 0},           // low 32 bits of 2^32
    {"4294967297", 1},
    {"0x100000005", 5},
    {"-0x10", 0},                // a sign keeps base 10: "-0", then "x" stops
    {"+0x10", 0},
    {"+7", 7},
    {"  0x20", 32},              // white space before the prefix is allowed
    {"\t\n\v\f\r 9", 9},
    {"  42  ", 42},
    {"12abc", 12},
    {"1e3", 1},
    {"0x", 0},
    {"0xg", 0},
    {"", 0},
    {"   ", 0},
    {"abc", 0},
    {"- 5", 0},
    {"\xa0" "5", 0},                          // 0xA0 is no white space
    {"99999999999999999999", 0xFFFFFFFFu},    // saturates at the 64-bit maximum
    {"-99999999999999999999", 0},             // saturates at the 64-bit minimum
    {"0xFFFFFFFFFFFFFFFFFF", 0xFFFFFFFFu},
};
// clang-format on

TEST(ParseInt32, Table)
{
    for (const auto &c : int32_cases)
        EXPECT_EQ(parse_int32(c.text), c.expected) << '"' << c.text << '"';
}

struct int64_case {
    const char *text;
    std::int64_t expected;
};

// clang-format off
const int64_case int64_cases[] = {
    {"010", 10},
    {"-12", -12},
    {"0x7FFFFFFFFFFFFFFF", INT64_MAX},
    {"0x8000000000000000", INT64_MAX},   // beyond the range: saturates
    {"0xFFFFFFFFFFFFFFFF", INT64_MAX},
    {"9223372036854775807", INT64_MAX},
    {"9223372036854775808", INT64_MAX},
    {"-9223372036854775808", INT64_MIN},
    {"-9223372036854775809", INT64_MIN},
    {"-99999999999999999999999", INT64_MIN},
    {"-10000000000000000000", INT64_MIN}, // 20 digits
    {"18446744073709551616", INT64_MAX},  // 2^64 would wrap to 0
    {"36893488147419103232", INT64_MAX},  // 2^65 too
    {"0x100000000000000000", INT64_MAX},  // 2^68, wrapped to 0 in 64 bits
    {"-0x8000000000000000", 0},
    {"0x00000000000000000000007", 7},     // leading zeros count for nothing
    {"-000000000000000000000009223372036854775808", INT64_MIN},
    {"00000000000000000000009223372036854775807", INT64_MAX},
    {"0x0FFFFFFFFFFFFFFFF", INT64_MAX},   // 16 significant hex digits
    {"0x10000000000000000", INT64_MAX},   // 17
    {"4294967296", 4294967296LL},        // no truncation to 32 bits
    {"0x1FFFFFFFF", 0x1FFFFFFFFLL},
    {"-0x5", 0},
    {" \t0xAbC", 0xABC},
    {"", 0},
    {"x1", 0},
};
// clang-format on

TEST(ParseInt64, Table)
{
    for (const auto &c : int64_cases)
        EXPECT_EQ(parse_int64(c.text), c.expected) << '"' << c.text << '"';
}

struct list_case {
    const char *text;
    std::vector<std::uint32_t> expected;
};

// clang-format off
const list_case list_cases[] = {
    {"", {}},
    {",", {}},
    {",,,", {}},
    {"5", {5}},
    {"1,2", {1, 2}},
    {" 1 , 2 ", {1, 2}},
    {",1,,2,", {1, 2}},            // empty pieces are skipped
    {"1, ,2", {1, 0, 2}},          // a blank piece is not empty: it counts as 0
    {"a,2", {0, 2}},
    {"0x10,010,-1", {16, 10, 0xFFFFFFFFu}},
    {"\t0x3000 ,\t0x12", {0x3000, 0x12}},
    {"1;2", {1}},                  // only commas split
};
// clang-format on

TEST(ParseValueList, Table)
{
    for (const auto &c : list_cases) {
        param_entry entry{};
        entry.value_count = 9;
        EXPECT_TRUE(parse_value_list(&entry, c.text)) << '"' << c.text << '"';
        ASSERT_EQ(entry.value_count, c.expected.size()) << '"' << c.text << '"';
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(entry.values[i], c.expected[i]) << '"' << c.text << "\" #" << i;
    }
}

// "1,2,...,n" with the given separator.
std::string numbers(int n, const char *separator = ",")
{
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += (i > 1 ? separator : "") + std::to_string(i);
    return text;
}

TEST(ParseValueList, SixteenNumbersFit)
{
    for (const std::string &text :
         {numbers(16), numbers(16, ",,") + ",", std::string(",").append(numbers(16, " , "))}) {
        param_entry entry{};
        EXPECT_TRUE(parse_value_list(&entry, text.c_str())) << text;
        ASSERT_EQ(entry.value_count, 16) << text;
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(entry.values[i], static_cast<std::uint32_t>(i + 1)) << text;
    }
}

TEST(ParseValueList, MoreThanSixteenKeepsTheFirstSixteen)
{
    for (const int n : {17, 40}) {
        // Two entries back to back: the second must not be written.
        param_entry entries[2]{};
        entries[1].type = 0xDEADBEEF;
        const std::string text = numbers(n);
        EXPECT_FALSE(parse_value_list(&entries[0], text.c_str())) << n;
        EXPECT_EQ(entries[0].value_count, 16) << n;
        EXPECT_EQ(entries[0].values[15], 16u) << n;
        EXPECT_EQ(entries[1].type, 0xDEADBEEFu) << n;
        EXPECT_EQ(entries[1].values[0], 0u) << n;
    }
}

TEST(ParseValueList, LeavesTheTextAndOtherTokenizersAlone)
{
    // Another user of strtok keeps its position across a list parse.
    char other[] = "a,b,c";
    ASSERT_STREQ(std::strtok(other, ","), "a");
    const char text[] = "1,2,3";
    param_entry entry{};
    EXPECT_TRUE(parse_value_list(&entry, text));
    EXPECT_STREQ(text, "1,2,3");
    EXPECT_EQ(entry.value_count, 3);
    const char *next = std::strtok(nullptr, ",");
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(next, "b");
}

} // namespace
