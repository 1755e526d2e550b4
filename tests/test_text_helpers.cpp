// Text routines of the reader: trimming, the separator/comment scan and the
// case-insensitive comparison used for code-block markers.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "reader/text_helpers.h"

namespace {

using pexilon::scan_to_bracket;
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
        {" \t\r\v\fx y", 5},
        {"  \nx", 2},        // the text ends at its newline
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

TEST(ScanToBracket, StopsAtBracketTerminatorOrInlineComment)
{
    const struct {
        const char *text;
        std::size_t at;
        // clang-format off
    } cases[] = {
        {"abc", 3},
        {"", 0},
        {"ab]", 2},
        {"a]b]", 1},
        {"a=b]", 3},        // separators are text here
        {"a;b]", 3},        // glued ";" is text
        {"a ;b]", 2},
        {"a\t;b", 2},
        {";b]", 2},         // the first character is never preceded
        {" ;b", 1},
        {"a//b]", 4},
        {"a //b]", 2},
        {"//b", 3},
        {"a / b]", 5},      // a single "/" is text
        {"a /", 3},
        {"a/ /b", 5},
        {"ab ;]", 3},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        std::string buf = c.text;
        EXPECT_EQ(scan_to_bracket(buf.data()), buf.data() + c.at);
    }
}

TEST(ScanToBracket, WhiteSpaceBeforeTheScannedTextDoesNotCount)
{
    char buf[] = " ;x";
    EXPECT_EQ(scan_to_bracket(buf + 1), buf + 3);
    char slashes[] = "a //x";
    EXPECT_EQ(scan_to_bracket(slashes + 2), slashes + 5);
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
