// Text routines of the reader: trimming, the separator/comment scan and the
// case-insensitive comparison used for code-block markers.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "reader/text_helpers.h"

namespace {

using pexilon::scan_until;
using pexilon::trim_left;
using pexilon::trim_right;

TEST(TrimLeft, SkipsLeadingWhiteSpaceOnly)
{
    const struct {
        const char *text;
        std::size_t skipped;
    // clang-format off
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"  abc ", 2},
        {" \t\r\n\v\fx y", 6},
        {"   ", 3},           // all white space: the terminator
        {"\xA0x", 0},         // bytes above 0x7F are not white space
        {"\x85 x", 0},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        std::string buf = c.text;
        EXPECT_EQ(trim_left(buf.data()), buf.data() + c.skipped);
    }
}

TEST(TrimRight, CutsTrailingWhiteSpaceInPlace)
{
    const struct {
        const char *text;
        const char *expected;
    // clang-format off
    } cases[] = {
        {"", ""},
        {"abc", "abc"},
        {" a b \t\r\n", " a b"},
        {"x\r", "x"},
        {"   ", ""},
        {" \t\r\n", ""},
        {"a\xA0", "a\xA0"},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        std::string buf = c.text;
        EXPECT_EQ(trim_right(buf.data()), buf.data());
        EXPECT_STREQ(buf.c_str(), c.expected);
    }
}

TEST(ScanUntil, StopsAtTerminatorStopOrInlineComment)
{
    const struct {
        const char *text;
        const char *stops;
        std::size_t at;
    // clang-format off
    } cases[] = {
        {"abc", nullptr, 3},
        {"", "=:", 0},
        {"a=b:c", "=:", 1},
        {"a:b=c", "=:", 1},
        {"a;b", nullptr, 3},        // glued ";" is text
        {"a ;b", nullptr, 2},
        {"a\t;b", nullptr, 2},
        {";b", nullptr, 2},         // the first character is never preceded
        {" ;b", nullptr, 1},
        {"a//b", nullptr, 4},
        {"a //b", nullptr, 2},
        {"//b", nullptr, 3},
        {"a / b", nullptr, 5},      // a single "/" is text
        {"a /", nullptr, 3},
        {"a/ /b", nullptr, 5},
        {"a ; b=1", "=:", 2},       // the comment comes before the separator
        {"a=b ;c", "=:", 1},
        {"ab]", "]", 2},
        {"ab ;]", "]", 3},
        {"a;]", "]", 2},
        {"a=b]", "]", 3},           // "=" is no stop when only "]" is asked for
        {"a]b=", "=:", 3},
        // Other stop sets.
        {"a,b", ",", 1},
        {"a ;b,c", ",", 2},
        {"a //b,c", ",", 2},
        {"a;b", ";", 1},
        {"a:b=c", "=", 3},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + (c.stops ? c.stops : "null"));
        std::string buf = c.text;
        EXPECT_EQ(scan_until(buf.data(), c.stops), buf.data() + c.at);
    }
}

TEST(ScanUntil, WhiteSpaceBeforeTheScannedTextDoesNotCount)
{
    char buf[] = " ;x";
    EXPECT_EQ(scan_until(buf + 1, nullptr), buf + 3);
    char slashes[] = "a //x";
    EXPECT_EQ(scan_until(slashes + 2, nullptr), slashes + 5);
}

TEST(EqualsIgnoringCase, FoldsAsciiLettersOnly)
{
    const struct {
        const char *a;
        const char *b;
        bool equal;
    // clang-format off
    } cases[] = {
        {"", "", true},
        {"abc", "ABC", true},
        {"MiXeD-_1", "mixed-_1", true},
        {"======code_block_start======", "======CODE_BLOCK_START======", true},
        {"abc", "abd", false},
        {"abc", "ab", false},
        {"ab", "abc", false},
        {"", "a", false},
        {"[", "{", false},  // 0x5B and 0x7B differ by the case bit only
        {"@", "`", false},
        {"\xC0", "\xE0", false},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(pexilon::equals_ignoring_case(c.a, c.b), c.equal);
        EXPECT_EQ(pexilon::equals_ignoring_case(c.b, c.a), c.equal);
    }
}

} // namespace
