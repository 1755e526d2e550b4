// Code blocks: the text gathered between the start and end marker lines, and
// the ways a block can be cut off.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/parse_outcome.h"
#include "reader/text_source.h"
#include "support/event_cases.h"

namespace {

using pexilon::fault;
using pexilon_test::event;
using pexilon_test::recorder;
using namespace pexilon_test;

const std::string start = "======CODE_BLOCK_START======\n";
const std::string end = "======CODE_BLOCK_END======\n";

using block_case = parse_case;
void check(const parse_case &c) { check_events(c); }

TEST(CodeBlock, GatheredText)
{
    // clang-format off
    const block_case cases[] = {
        {"delivered under the current section", "[c]\n" + start + "x = 1\n" + end,
         {header("c"), block("c", "x = 1\n")}},
        {"markers compared without regard to case",
         "======code_block_start======\nx\n======Code_Block_End======\n", {block("", "x\n")}},
        {"markers with white space around them",
         "  ======CODE_BLOCK_START======  \r\nx\n\t======CODE_BLOCK_END====== \r\n",
         {block("", "x\n")}},
        {"empty block", start + end, {block("", "")}},
        {"leading white space kept, trailing dropped", start + "  a = 1 ; c  \r\n\tb\t\n" + end,
         {block("", "  a = 1 ; c\n\tb\n")}},
        {"comment-looking and blank lines kept", start + "; c\n# h\n// s\n\n   \r\n" + end,
         {block("", "; c\n# h\n// s\n\n\n")}},
        {"second start marker is text", start + start + "x\n" + end,
         {block("", "======CODE_BLOCK_START======\nx\n")}},
        {"unclosed or commented-out brackets are text", start + "[x\n  [y ; z]\n" + end,
         {block("", "[x\n  [y ; z]\n")}},
        {"header-like and name/value lines are text", "[s]\n" + start + "[t\nk=v\n" + end + "a=1\n",
         {header("s"), block("s", "[t\nk=v\n"), line("s", "a", "1")}},
        {"two blocks in a row", start + "a\n" + end + start + "b\n" + end,
         {block("", "a\n"), block("", "b\n")}},
        {"section and previous name left unchanged", "[s]\na=1\n" + start + "b=2\n" + end + "  c\n",
         {header("s"), line("s", "a", "1"), block("s", "b=2\n"), line("s", "a", "c")}},
    };
    // clang-format on
    for (const auto &c : cases)
        check(c);
}

TEST(CodeBlock, OverLongCodeLinesArriveInPieces)
{
    const std::string v199(199, 'v');
    // clang-format off
    const block_case cases[] = {
        {"250 characters: two pieces, each with a newline", start + v199 + std::string(51, 'w') + "\n" + end,
         {block("", v199 + "\n" + std::string(51, 'w') + "\n")}},
        {"199 characters: the newline adds a blank line", start + v199 + "\n" + end,
         {block("", v199 + "\n\n")}},
        {"indented piece keeps its white space", start + v199 + "  x\n" + end,
         {block("", v199 + "\n  x\n")}},
    };
    // clang-format on
    for (const auto &c : cases)
        check(c);
}

TEST(CodeBlock, LargeBlockIsGatheredWhole)
{
    std::string text = "[c]\n" + start;
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        const std::string code = std::string(i % 7, ' ') + "line " + std::to_string(i) +
                                 std::string(static_cast<std::size_t>(i % 120), 'x');
        text += code + " \n";
        expected += code + "\n";
    }
    text += end;
    check({"300 lines", text, {header("c"), block("c", expected)}});
}

TEST(CodeBlock, CutOffByAClosedHeader)
{
    // clang-format off
    const block_case cases[] = {
        {"header line used up, old section and name go on",
         "[s]\na=1\n" + start + "x\n[t]\n  z\ny=2\n",
         {header("s"), line("s", "a", "1"), line("s", "a", "z"), line("s", "y", "2")}, 5,
         fault::block_cut_off},
        {"indented header with text after it", start + "x\n  [t] junk\n", {}, 3, fault::block_cut_off},
        {"replaces an earlier faulty line", "bad\n" + start + "[t]\n", {}, 3, fault::block_cut_off},
        {"replaces an earlier rejection", "a=1\n" + start + "[t]\n", {line("", "a", "1")}, 3,
         fault::block_cut_off, {1}},
        {"later faults do not replace it", start + "[t]\nbad\n", {}, 2, fault::block_cut_off},
        {"a later cut-off block does replace it", start + "[t]\n" + start + "[u]\n", {}, 4,
         fault::block_cut_off},
    };
    // clang-format on
    for (const auto &c : cases)
        check(c);
}

TEST(CodeBlock, EndOfInputInsideABlock)
{
    // 20 lines: a fault on line 3, a block opened on line 5 and never closed.
    std::string twenty = "[s]\na=1\nbad\nb=2\n" + start;
    for (int i = 6; i <= 20; ++i)
        twenty += "code " + std::to_string(i) + "\n";

    // clang-format off
    const block_case cases[] = {
        {"20-line file with an earlier fault", twenty,
         {header("s"), line("s", "a", "1"), line("s", "b", "2")}, 20, fault::block_unterminated},
        {"last line without a newline", start + "x", {}, 2, fault::block_unterminated},
        {"nothing after the start marker", "a=1\n" + start, {line("", "a", "1")}, 2,
         fault::block_unterminated},
        {"end marker followed by a comment is text", start + "======CODE_BLOCK_END====== ; c\n", {}, 2,
         fault::block_unterminated},
        {"blank lines at the end are counted", start + "x\n\n\n", {}, 4, fault::block_unterminated},
    };
    // clang-format on
    for (const auto &c : cases)
        check(c);
}

TEST(CodeBlock, RejectedBlockCall)
{
    // clang-format off
    const block_case cases[] = {
        {"rejection recorded at the end marker", "a=1\n" + start + "x\n" + end + "bad\n",
         {line("", "a", "1"), block("", "x\n")}, 4, fault::rejected, {2}},
        {"an earlier fault stays first", "bad\n" + start + end, {block("", "")}, 1,
         fault::no_separator, {1}},
    };
    // clang-format on
    for (const auto &c : cases)
        check(c);
}

} // namespace
