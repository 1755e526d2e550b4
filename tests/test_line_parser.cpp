// The line loop: comments, name/value lines, continuation lines, section
// headers, over-long lines and the first-error rule, seen through the events
// handed to a recording handler.
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

const std::string bom = "\xEF\xBB\xBF";
const std::string name60(60, 'N');
const std::string name49(49, 'N');

TEST(LineParser, CommentsBlankLinesAndLineEndings)
{
    // clang-format off
    const parse_case cases[] = {
        {"comments of every kind and blank lines", "; a=1\n# b=2\n// c=3\n  ; d\n\t# e\n   // f\n\n \t \n", {}},
        {"a single slash begins a name", "/x = 1\n", {line("", "/x", "1")}},
        {"CR LF behaves like LF", "[s]\r\na = 1\r\n  more\r\n\r\n",
         {header("s"), line("s", "a", "1"), line("s", "a", "more")}},
        {"byte-order mark skipped on line 1", bom + "[s]\n", {header("s")}},
        {"byte-order mark alone on line 1 is blank", bom + "\nbad\n", {}, 2, fault::no_separator},
        {"byte-order mark kept on line 2", "a=1\n" + bom + "b=2\n",
         {line("", "a", "1"), line("", bom + "b", "2")}},
        {"comment lines are counted", "; one\n\n# three\nbad\n", {}, 4, fault::no_separator},
    };
    // clang-format on
    for (const auto &c : cases)
        check_events(c);
}

TEST(LineParser, NameValueLines)
{
    // clang-format off
    const parse_case cases[] = {
        {"first separator wins (=)", "a=b:c\n", {line("", "a", "b:c")}},
        {"first separator wins (:)", "a : b = c\n", {line("", "a", "b = c")}},
        {"name and value trimmed, inner white space kept", "  my key \t=\t two words  \n",
         {line("", "my key", "two words")}},
        {"empty values", "a =\nb:   \n", {line("", "a", ""), line("", "b", "")}},
        {"; after white space cut", "a=1 ; c\n", {line("", "a", "1")}},
        {"; glued to the value kept", "a=1;c\n", {line("", "a", "1;c")}},
        {"// after white space cut", "a=x\t//c\n", {line("", "a", "x")}},
        {"// glued to the value kept", "a=http://h/p\n", {line("", "a", "http://h/p")}},
        {"; right after the separator kept", "a=;c\n", {line("", "a", ";c")}},
        {"comment after the separator and a space", "a= ;c\n", {line("", "a", "")}},
        {"single slash in a value", "a=1 / 2\n", {line("", "a", "1 / 2")}},
        {"; glued inside a name", "a;b=1\n", {line("", "a;b", "1")}},
        {"comment before the separator", "a ; b=1\nc=2\n", {line("", "c", "2")}, 1,
         fault::no_separator},
        {"// before the separator", "a //b=1\n", {}, 1, fault::no_separator},
        {"no separator, reading goes on", "[s]\njunk\nb=2\n", {header("s"), line("s", "b", "2")}, 2,
         fault::no_separator},
        {"empty name leaves no previous name", "a=1\n=v\n  cont\n",
         {line("", "a", "1"), line("", "", "v")}, 3, fault::no_separator},
        {"long name reported in full", name60 + "=1\n", {line("", name60, "1")}},
        {"one blank, two and a tab before the separator", "a = 1\nb: 2\nc  = 3\nd \t: 4\n",
         {line("", "a", "1"), line("", "b", "2"), line("", "c", "3"), line("", "d", "4")}},
        {"blanks inside a name, before a glued slash and at its end",
         "my key: v\na /b=1\nabc \n",
         {line("", "my key", "v"), line("", "a /b", "1")}, 3, fault::no_separator},
        {"a stray end marker is a line with an empty name", "======CODE_BLOCK_END======\n",
         {line("", "", "=====CODE_BLOCK_END======")}},
    };
    // clang-format on
    for (const auto &c : cases)
        check_events(c);
}

TEST(LineParser, ContinuationLines)
{
    // clang-format off
    const parse_case cases[] = {
        {"whole trimmed line passed unchanged", "[s]\na=1\n  b = c ; d // e  \n",
         {header("s"), line("s", "a", "1"), line("s", "a", "b = c ; d // e")}},
        {"previous name survives comments, continuations and faulty lines",
         "a=1\n\tx\n; c\n\n  y\nbad\n  z\n",
         {line("", "a", "1"), line("", "a", "x"), line("", "a", "y"), line("", "a", "z")}, 6,
         fault::no_separator},
        {"indented header after a name/value line", "[s]\na=1\n  [t]\nb=2\n",
         {header("s"), line("s", "a", "1"), line("s", "a", "[t]"), line("s", "b", "2")}},
        {"indented start marker after a name/value line",
         "a=1\n  ======CODE_BLOCK_START======\nb=2\n",
         {line("", "a", "1"), line("", "a", "======CODE_BLOCK_START======"), line("", "b", "2")}},
        {"indented line after a header is ordinary", "[s]\n  a=1\n", {header("s"), line("s", "a", "1")}},
        {"header clears the previous name", "a=1\n[s]\n  x\n", {line("", "a", "1"), header("s")}, 3,
         fault::no_separator},
        {"previous name cut to 49 characters", name60 + "=1\n  more\n",
         {line("", name60, "1"), line("", name49, "more")}},
        {"unindented line is not a continuation", "a=1\nx\n", {line("", "a", "1")}, 2,
         fault::no_separator},
    };
    // clang-format on
    for (const auto &c : cases)
        check_events(c);
}

TEST(LineParser, SectionHeaders)
{
    // clang-format off
    const parse_case cases[] = {
        {"header then lines in it", "[camera parameter]\na=1\n",
         {header("camera parameter"), line("camera parameter", "a", "1")}},
        {"bracket groups joined", "[board parameter][dev3][inf2]\n",
         {header("board parameter||dev3||inf2")}},
        {"later group unclosed", "[a][b c\n", {header("a||b c")}},
        {"later group ended by a comment", "[a][b ; c]\n", {header("a||b ")}},
        {"empty later group unclosed", "[a][\n", {header("a||")}},
        {"groups apart name the first alone", "[a] [b]\n", {header("a")}},
        {"text after the bracket ignored", "[a]x=1 ; y\n", {header("a")}},
        {"white space inside brackets kept", "[ a b\t]\n", {header(" a b\t")}},
        {"empty brackets", "[]\nx=1\n", {header(""), line("", "x", "1")}},
        {"glued ; inside brackets", "[a;b]\n", {header("a;b")}},
        {"separator inside brackets", "[x=1]\n", {header("x=1")}},
        {"unclosed header keeps section and previous name", "[s]\na=1\n[t\n  c\nd=2\n",
         {header("s"), line("s", "a", "1"), line("s", "a", "c"), line("s", "d", "2")}, 3,
         fault::unclosed_header},
        {"lone bracket", "[\n", {}, 1, fault::unclosed_header},
        {"comment before the closing bracket", "[a ; b]\nx=1\n", {line("", "x", "1")}, 1,
         fault::unclosed_header},
        {"section cut to 49 characters", "[" + name60 + "]\nx=1\n",
         {header(name49), line(name49, "x", "1")}},
        {"section of 49 and of 50 characters", "[" + name49 + "]\nx=1\n[" + name49 + "M]\ny=2\n",
         {header(name49), line(name49, "x", "1"), header(name49), line(name49, "y", "2")}},
        {"joined groups cut to 49 characters", "[" + std::string(40, 'a') + "][" +
         std::string(20, 'b') + "]\nx=1\n",
         {header(std::string(40, 'a') + "||" + std::string(7, 'b')),
          line(std::string(40, 'a') + "||" + std::string(7, 'b'), "x", "1")}},
        {"rejected header still switches section and clears the name", "a=1\n[s]\n  x\ny=2\n",
         {line("", "a", "1"), header("s"), line("s", "y", "2")}, 2, fault::rejected, {2}},
    };
    // clang-format on
    for (const auto &c : cases)
        check_events(c);
}

TEST(LineParser, OverLongLinesArriveInPieces)
{
    const std::string v197(197, 'v');
    // clang-format off
    const parse_case cases[] = {
        {"250 characters are two lines", "a=" + v197 + "x=" + std::string(49, 'w') + "\nbad\n",
         {line("", "a", v197), line("", "x", std::string(49, 'w'))}, 3, fault::no_separator},
        {"second piece beginning with white space continues", "a=" + v197 + "  tail\n",
         {line("", "a", v197), line("", "a", "tail")}},
        {"199 characters: the newline is a line of its own", "a=" + v197 + "\nbad\n",
         {line("", "a", v197)}, 3, fault::no_separator},
        {"198 characters and newline are one line", "a=" + v197.substr(1) + "\nbad\n",
         {line("", "a", v197.substr(1))}, 2, fault::no_separator},
    };
    // clang-format on
    for (const auto &c : cases)
        check_events(c);
}

TEST(LineParser, FirstErrorCountsAndReadingGoesOn)
{
    // clang-format off
    const parse_case cases[] = {
        {"rejection on line 7 before a fault on line 9",
         "[s]\n; c\na=1\n\nb=2\nc=3\nd=4\ne=5\nbad\nf=6\n",
         {header("s"), line("s", "a", "1"), line("s", "b", "2"), line("s", "c", "3"),
          line("s", "d", "4"), line("s", "e", "5"), line("s", "f", "6")},
         7, fault::rejected, {5}},
        {"fault before a rejection", "bad\na=1\n", {line("", "a", "1")}, 1, fault::no_separator, {1}},
        {"only the first rejection counts", "a=1\nb=2\n", {line("", "a", "1"), line("", "b", "2")}, 1,
         fault::rejected, {1, 2}},
        {"rejected continuation", "a=1\n x\n", {line("", "a", "1"), line("", "a", "x")}, 2,
         fault::rejected, {2}},
        {"unclosed header before a faulty line", "[s\nbad\n", {}, 1, fault::unclosed_header},
    };
    // clang-format on
    for (const auto &c : cases)
        check_events(c);
}

} // namespace
