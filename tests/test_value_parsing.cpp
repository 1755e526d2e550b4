// Numbers, number lists and the code tables of the configuration vocabulary.
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/value_parsing.h"
#include "reader/text_helpers.h"

// The previous conversion, kept to compare against: a plain loop per number,
// every digit past the 15th hex or 18th decimal one checked, and a list split
// piece by piece. The faster one must give the same result for every text.
namespace reference_value_parsing {

using pexilon::is_white;

constexpr auto digit_values = [] {
    std::array<unsigned char, 256> table{};
    table.fill(99);
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 'A' + 10);
    return table;
}();

int digit_value(char c) { return digit_values[static_cast<unsigned char>(c)]; }

template <unsigned Base>
std::int64_t convert(const char *p, const char **end, bool *saturated)
{
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (Base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit_value(p[2]) < 16)
        p += 2;
    constexpr int unchecked_digits = Base == 16 ? 15 : 18;
    std::uint64_t magnitude = 0;
    unsigned d = 0;
    int digits = 0;
    for (; digits < unchecked_digits && (d = static_cast<unsigned>(digit_value(*p))) < Base; ++p)
        magnitude = magnitude * Base + d, ++digits;
    bool overflow = false;
    if (digits == unchecked_digits) {
        constexpr std::uint64_t cutoff = UINT64_MAX / Base;
        constexpr unsigned cut_digit = UINT64_MAX % Base;
        for (; (d = static_cast<unsigned>(digit_value(*p))) < Base; ++p) {
            if (magnitude > cutoff || (magnitude == cutoff && d > cut_digit))
                overflow = true;
            magnitude = magnitude * Base + d;
        }
    }
    *end = p;
    const std::uint64_t limit = std::uint64_t{INT64_MAX} + (negative ? 1 : 0);
    *saturated = overflow || magnitude > limit;
    if (overflow || magnitude > limit)
        return negative ? INT64_MIN : INT64_MAX;
    return negative ? static_cast<std::int64_t>(~magnitude + 1)
                    : static_cast<std::int64_t>(magnitude);
}

std::int64_t convert_number(const char *text, const char **end)
{
    while (is_white(*text))
        ++text;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    bool saturated = false;
    return hex ? convert<16>(text, end, &saturated) : convert<10>(text, end, &saturated);
}

pexilon::number_scan scan_number(const char *text)
{
    pexilon::number_scan scan;
    while (is_white(*text))
        ++text;
    scan.start = text;
    scan.hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    scan.negative = text[0] == '-';
    scan.value = scan.hex ? convert<16>(text, &scan.end, &scan.saturated)
                          : convert<10>(text, &scan.end, &scan.saturated);
    for (const char *p = scan.start; p < scan.end && !scan.digits; ++p)
        scan.digits = digit_value(*p) < 10;
    return scan;
}

std::int64_t parse_int64(const char *text)
{
    const char *end = nullptr;
    return convert_number(text, &end);
}

bool parse_value_list(param_entry *entry, const char *text)
{
    int count = 0;
    bool fits = true;
    for (const char *p = text; *p != '\0';) {
        if (*p == ',') {
            ++p;
            continue;
        }
        if (count < pexilon::max_list_values) {
            entry->values[count++] =
                static_cast<std::uint32_t>(static_cast<std::uint64_t>(convert_number(p, &p)));
        } else {
            fits = false;
        }
        while (*p != '\0' && *p != ',')
            ++p;
    }
    entry->value_count = static_cast<std::uint8_t>(count);
    return fits;
}

} // namespace reference_value_parsing

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

// Every conversion against the previous one, on one text: parse_int32,
// parse_int64, scan_number (all it reports) and parse_value_list (the whole
// entry, so a write past the last value shows too).
void expect_same_as_before(const std::string &text)
{
    namespace ref = reference_value_parsing;
    const char *s = text.c_str();
    const std::int64_t before = ref::parse_int64(s);
    ASSERT_EQ(pexilon::parse_int64(s), before) << testing::PrintToString(text);
    ASSERT_EQ(parse_int32(s), static_cast<std::uint32_t>(static_cast<std::uint64_t>(before)))
        << testing::PrintToString(text);

    const pexilon::number_scan old_scan = ref::scan_number(s);
    const pexilon::number_scan new_scan = pexilon::scan_number(s);
    ASSERT_EQ(new_scan.value, old_scan.value) << testing::PrintToString(text);
    ASSERT_EQ(new_scan.start - s, old_scan.start - s) << testing::PrintToString(text);
    ASSERT_EQ(new_scan.end - s, old_scan.end - s) << testing::PrintToString(text);
    ASSERT_EQ(new_scan.digits, old_scan.digits) << testing::PrintToString(text);
    ASSERT_EQ(new_scan.hex, old_scan.hex) << testing::PrintToString(text);
    ASSERT_EQ(new_scan.negative, old_scan.negative) << testing::PrintToString(text);
    ASSERT_EQ(new_scan.saturated, old_scan.saturated) << testing::PrintToString(text);

    param_entry old_entry;
    param_entry new_entry;
    std::memset(&old_entry, 0xA5, sizeof old_entry);
    std::memset(&new_entry, 0xA5, sizeof new_entry);
    ASSERT_EQ(parse_value_list(&new_entry, s), ref::parse_value_list(&old_entry, s))
        << testing::PrintToString(text);
    ASSERT_EQ(std::memcmp(&new_entry, &old_entry, sizeof old_entry), 0)
        << testing::PrintToString(text);
    // The same list with its end known, as the parser of a file gives it.
    std::memset(&new_entry, 0xA5, sizeof new_entry);
    ASSERT_EQ(parse_value_list(&new_entry, s, s + text.size()),
              ref::parse_value_list(&old_entry, s))
        << testing::PrintToString(text);
    ASSERT_EQ(std::memcmp(&new_entry, &old_entry, sizeof old_entry), 0)
        << testing::PrintToString(text);
}

// clang-format off
const char *const same_as_before_rows[] = {
    "", ",", "0", "0x", "0X", "0x,", "0xg", "0x 1", "x1", "-", "+", "-0x10", "+0x1",
    "0x0", "00x1", " 0x1f", "\t\v\f\r\n 7", "\xa0" "1", "\x85" "2", "1\xff",
    "123abc", "12,,34,", " , ,", "1;2,3", "1//2,3",
    "0xFFFFFFFF", "0x100000000", "-1", "-2147483648", "4294967296",
    "0x7FFFFFFFFFFFFFFF", "0x8000000000000000", "0xFFFFFFFFFFFFFFFF",
    "0x10000000000000000", "0x0FFFFFFFFFFFFFFFF", "0x00000000000000000000001",
    "0xFFFFFFFFFFFFFFF", "0x1000000000000000",
    "9223372036854775807", "9223372036854775808", "-9223372036854775808",
    "-9223372036854775809", "999999999999999999", "9999999999999999999",
    "18446744073709551615", "18446744073709551616", "99999999999999999999",
    "-99999999999999999999", "0000000000000000000000000009223372036854775807",
    "-0000000000000000000000000009223372036854775808",
    "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16",
    "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,",
    "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17",
    "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16, ",
    ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,1",
    "0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04DC87",
    // Long lists of eight-digit hex numbers, and pieces that only nearly are.
    "0x000034A1,0xB0749E1C, 0XE887552f,  0x3867CF02,0x0D0F0FDBa, 0x3C04DC8, 0x3C04DC87",
    "0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04DC87 junk, 0x1",
    "0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04DC87,0x0D0F0FDB",
    "0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04\xb5" "C87, 0xFFFFFFFF",
    "0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04:C87, 0x0D0F@FDB",
    "0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04`C87, 0x0D0FgFDB",
    "0x000034A1, 0xB0749E1C, 0xE887552F, 0x3867CF02, 0x0D0F0FDB, 0x3C04/C87, 0x0D0FGFDB",
    " 0x000034A1, -0xB0749E1C, +0xE887552F, 0y3867CF02, 0x0D0F0FDB,\t0x3C04DC87, 00x0D0F0FDB",
    // Short numbers with eight bytes or more after them, each digit count
    // and a byte that ends the run at each place.
    "0x3E5A, 61, 0x06, 0x30", "1, 12, 123, 1234, 12345, 123456, 1234567, 12345678, 123456789, 0",
    "0x1, 0x12, 0x123, 0x1234, 0x12345, 0x123456, 0x1234567, 0x12345678, 0x123456789, 0",
    "-1234567,0,0", "+7654321,0,0", "-12345678,0,0", "0xABCDEF0,0,0", "0xabcdefA,0,0",
    "0x1G345678,0", "1234a678,0", "0x@1234567,0", "0x`1234567,0", "0x12/45678,0",
    "0x12:45678,0", "12/45678,0", "12:45678,0", "0x12\xb5" "45678,0", "99999999,0,0",
    "0xFFFFFFFF,0,0", "0x0FFFFFFFF,0", "00000000001,0", "0x00000000001,0",
};
// clang-format on

// Texts built from the bytes that matter to a number or a list, with runs
// of digits long enough to reach the checked and the saturating paths.
std::string random_text(std::mt19937_64 &random)
{
    static const std::string alphabet = "0123456789abcdefABCDEFxX+-,, \t\n\v\f\r;/g";
    std::string text;
    const auto pieces = random() % 2 ? random() % 12 : random() % 48;
    for (std::uint64_t i = 0; i < pieces; ++i) {
        switch (random() % 9) {
        case 0: { // a long run of digits, maybe after zeros that count for nothing
            const bool hex = random() % 2 == 0;
            const std::string digits = hex ? "0123456789abcdefABCDEF" : "0123456789";
            text += hex ? "0x" : (random() % 2 ? "-" : "");
            text.append(random() % 4 == 0 ? random() % 12 : 0, '0');
            for (auto n = 12 + random() % 10; n > 0; --n)
                text += digits[random() % digits.size()];
            break;
        }
        case 1: // a byte from 0x80 up
            text += static_cast<char>(0x80 + random() % 0x80);
            break;
        case 2:
            text += random() % 2 ? "0x" : "0X";
            break;
        case 3:
            text += ", ";
            break;
        case 5: { // a short number, as people write them
            const bool hex = random() % 2 == 0;
            text += hex ? (random() % 2 ? "0x" : "0X") : (random() % 4 == 0 ? "-" : "");
            for (auto n = 1 + random() % 9; n > 0; --n)
                text += hex ? "0123456789abcdefABCDEF"[random() % 22] : "0123456789"[random() % 10];
            text += random() % 2 ? ", " : ",";
            break;
        }
        case 4: { // a piece of "0x" and about eight hex digits, in a long list
            text += random() % 2 ? ", 0x" : ",0X";
            for (auto n = 7 + random() % 3; n > 0; --n)
                text += "0123456789abcdefABCDEF"[random() % 22];
            break;
        }
        default:
            text += alphabet[random() % alphabet.size()];
        }
    }
    return text;
}

TEST(ValueParsing, SameResultsAsThePreviousConversion)
{
    for (const char *row : same_as_before_rows)
        expect_same_as_before(row);
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 300000; ++i) {
        expect_same_as_before(random_text(random));
        if (testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace
