// Text routines of the reader: trimming, the separator/comment scan and the
// case-insensitive comparison of code-block markers.
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
        {" ", 1},             // one blank, then the end of the text
        {" \n", 1},
        {" \tx", 2},          // white space after the first blank
        {" ~", 1},            // the edges of printable ASCII
        {"!", 0},
        {" \x7F", 1},         // DEL is neither printable nor white space
        {" \xA0", 1},
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
        {"~ ", "~"},
        {"!\t", "!"},
        {"\x7F ", "\x7F"},
        {"a \x7F", "a \x7F"},
        {" ", ""},
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

TEST(SpellsMarker, FoldsAsciiLettersOnly)
{
    constexpr auto end = pexilon::make_block_marker("======CODE_BLOCK_END======");
    constexpr auto start = pexilon::make_block_marker("======CODE_BLOCK_START======");
    const struct {
        std::string text;
        const pexilon::block_marker &marker;
        bool spelled;
        // clang-format off
    } cases[] = {
        {"======CODE_BLOCK_END======", end, true},
        {"======code_block_end======", end, true},
        {"======Code_Block_End======", end, true},
        {"======code_block_start======", start, true},
        {"======CODE_BLOCK_END======", start, false},
        {"======CODE_BLOCK_END=====", end, false},      // one "=" short
        {"======CODE_BLOCK_END=======", end, false},    // one too many
        {"======CODE\x7f" "BLOCK_END======", end, false}, // DEL is "_" with the case bit
        {"======CODE\x1f" "BLOCK_END======", end, false},
        {"=====\x1d" "CODE_BLOCK_END======", end, false}, // "=" without it
        {"======CODE_BLOCK_EN\x04======", end, false},  // "D" without it
        {"======CODE_BLOCK_END=====\x1d", end, false},  // in the overlapping last word
        {"\x1d=====CODE_BLOCK_END======", end, false},  // in the first
        {std::string("======CODE_BLOCK_END\0=====", 26), end, false},
        {"======C\xc3\x8f" "DE_BLOCK_END=====", end, false},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(pexilon::spells_marker(c.text.data(), c.text.size(), c.marker), c.spelled);
    }
}

} // namespace
