// The two places where the server translates between worlds: the protocol's
// framing on a byte stream, and byte columns against UTF-16 columns.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "edited_text.h"
#include "message_stream.h"
#include "text_lines.h"

namespace {

using pexilon::lsp::edit_result;
using pexilon::lsp::read_status;

// ---- byte columns and UTF-16 columns --------------------------------------

struct column_case {
    const char *what;
    std::string line;
    std::size_t bytes; // a byte column of the line
    std::size_t units; // the UTF-16 column it is
};

// "é" is 2 bytes and 1 unit, "€" 3 bytes and 1 unit, "😀" 4 bytes and 2 units.
const std::vector<column_case> column_cases = {
    {"ascii", "REG = 0x3000", 6, 6},
    {"two-byte character before", "\xC3\xA9 = 1", 3, 2},
    {"three-byte character before", "\xE2\x82\xAC = 1", 4, 2},
    {"astral character counts two", "\xF0\x9F\x98\x80x = 1", 5, 3},
    {"invalid byte counts one", "\xFF\xFE = 1", 3, 3},
    {"cut sequence counts per byte", "\xE2\x82 = 1", 3, 3},
    {"overlong form counts per byte", "\xC0\xAF = 1", 2, 2},
    {"encoded surrogate counts per byte", "\xED\xA0\x80 = 1", 3, 3},
    {"column past the line stops at its end", "ab", 9, 2},
    {"tab is one unit", "\tREG", 1, 1},
};

TEST(ColumnsTable, BytesToUnits)
{
    for (const column_case &c : column_cases) {
        const pexilon::lsp::text_lines lines(c.line);
        EXPECT_EQ(lines.utf16_column(0, c.bytes), c.units) << c.what;
    }
}

TEST(ColumnsTable, UnitsBackToBytes)
{
    for (const column_case &c : column_cases) {
        const pexilon::lsp::text_lines lines(c.line);
        const std::size_t bytes = c.bytes < c.line.size() ? c.bytes : c.line.size();
        EXPECT_EQ(lines.byte_column(0, c.units), bytes) << c.what;
    }
}

TEST(ColumnsTable, ColumnInsideCharacterMovesToItsStart)
{
    const pexilon::lsp::text_lines lines("\xF0\x9F\x98\x80x");
    EXPECT_EQ(lines.byte_column(0, 1), 0u);  // between the two halves of a pair
    EXPECT_EQ(lines.utf16_column(0, 2), 0u); // inside the four bytes
}

TEST(ColumnsTable, LinesEndAsTheProtocolSays)
{
    // "\n", "\r\n" and a lone "\r" end a protocol line; the reader's lines
    // end at "\n" alone.
    const pexilon::lsp::text_lines lines("a\r\nb\rc\n\xC3\xA9\n");
    ASSERT_EQ(lines.count(), 5u);
    EXPECT_EQ(lines.line(0), "a");
    EXPECT_EQ(lines.line(1), "b");
    EXPECT_EQ(lines.line(2), "c");
    EXPECT_EQ(lines.line(4), "");
    EXPECT_EQ(lines.offset(3, 1), 9u);  // after the two-byte character
    EXPECT_EQ(lines.offset(7, 0), 10u); // past the end: the end
    EXPECT_EQ(lines.reader_line_start(1), 3u);
    EXPECT_EQ(lines.reader_line_end(1), 6u);
    EXPECT_EQ(lines.reader_line_at(5), 1u);
    EXPECT_EQ(lines.position_of(5).line, 2u);
    EXPECT_EQ(lines.position_of(1).character, 1u); // the "\r" of "\r\n" ends line 0
}

// Where a text's lines start and what they hold, for texts with a "\r"
// and without (those are cut at their "\n"s alone): the protocol's lines
// joined by "|", and where each reader line starts.
struct cut_case {
    const char *what;
    std::string text;
    std::string lines;
    std::vector<std::size_t> reader_starts;
};

const std::vector<cut_case> cut_cases = {
    {"empty", "", "", {0}},
    {"one line without its end", "ab", "ab", {0}},
    {"LF alone", "a\n\nbc\n", "a||bc|", {0, 2, 3, 6}},
    {"LF alone, the last line without one", "a\nbc", "a|bc", {0, 2}},
    {"CRLF", "a\r\nb\r\n", "a|b|", {0, 3, 6}},
    {"lone CR", "a\rb\nc", "a|b|c", {0, 4}},
};

TEST(ColumnsTable, LinesAreCutWithOrWithoutCR)
{
    for (const cut_case &c : cut_cases) {
        const pexilon::lsp::text_lines lines(c.text);
        std::string joined;
        for (std::size_t i = 0; i < lines.count(); ++i)
            joined += (i == 0 ? "" : "|") + std::string(lines.line(i));
        EXPECT_EQ(joined, c.lines) << c.what;
        for (std::size_t i = 0; i < c.reader_starts.size(); ++i)
            EXPECT_EQ(lines.reader_line_start(i), c.reader_starts[i]) << c.what << " " << i;
        EXPECT_EQ(lines.reader_line_start(c.reader_starts.size()), c.text.size()) << c.what;
    }
}

// Offsets asked together, in order and out of it, few or many lines apart,
// are placed as each alone is.
TEST(ColumnsTable, ManyPositionsAgreeWithOneByOne)
{
    std::string long_text;
    for (int i = 0; i < 300; ++i)
        long_text += std::string(static_cast<std::size_t>(i % 7), 'x') +
                     (i % 5 == 0 ? "\xF0\x9F\x98\x80" : "") + (i % 3 == 0 ? "\r\n" : "\n");
    const std::vector<std::string> texts = {"x\xC3\xA9y\xF0\x9F\x98\x80z\r\n\xE2\x82\xACw\rv\n",
                                            long_text, long_text + "\rend"};
    for (const std::string &text : texts) {
        std::vector<std::size_t> every, spread;
        for (std::size_t i = 0; i <= text.size() + 1; ++i)
            every.push_back(i);
        for (std::size_t i = 0, step = 1; i <= text.size() + 1; i += step, step = step * 3 % 101)
            spread.push_back(i);
        std::vector<std::size_t> backwards(spread.rbegin(), spread.rend());
        const pexilon::lsp::text_lines lines(text);
        for (const std::vector<std::size_t> &offsets : {every, spread, backwards}) {
            const std::vector<pexilon::lsp::position> many = lines.positions_of(offsets);
            for (std::size_t i = 0; i < offsets.size(); ++i) {
                EXPECT_EQ(many[i].line, lines.position_of(offsets[i]).line) << offsets[i];
                EXPECT_EQ(many[i].character, lines.position_of(offsets[i]).character) << offsets[i];
            }
        }
    }
}

// Edits applied in place against the same edits on a plain string: each
// row is an initial text and edits (line, character, end line, end
// character, replacement), then the text wanted.
struct edit_case {
    const char *what;
    std::string text;
    std::vector<std::tuple<std::size_t, std::size_t, std::size_t, std::size_t, std::string>> edits;
    std::string wanted;
};

const std::vector<edit_case> edit_cases = {
    {"down the lines",
     "a1\nb1\nc1\n",
     {{0, 1, 0, 2, "2"}, {1, 1, 1, 2, "2"}, {2, 1, 2, 2, "2"}},
     "a2\nb2\nc2\n"},
    {"up the lines",
     "a1\nb1\nc1\n",
     {{2, 0, 2, 1, "C"}, {1, 0, 1, 1, "B"}, {0, 0, 0, 1, "A"}},
     "A1\nB1\nC1\n"},
    {"along one line",
     "abcdef",
     {{0, 1, 0, 2, "X"}, {0, 3, 0, 4, "YY"}, {0, 6, 0, 7, "Z"}},
     "aXcYYeZ"},
    {"lines added and joined",
     "a\nb\nc",
     {{0, 1, 1, 0, "1\n2\n"}, {3, 1, 3, 1, "!"}},
     "a1\n2\nb\nc!"},
    {"a \\n after a lone \\r joins it",
     "a\rb\nc",
     {{1, 0, 1, 0, "\n"}, {1, 0, 1, 1, "B"}},
     "a\r\nB\nc"},
    {"UTF-16 columns",
     "\xC3\xA9\xF0\x9F\x98\x80x",
     {{0, 3, 0, 4, "y"}, {0, 1, 0, 1, "-"}},
     "\xC3\xA9-\xF0\x9F\x98\x80y"},
    {"past a line's end", "ab\n", {{1, 9, 1, 9, "c"}, {0, 9, 0, 9, "!"}}, "ab!\nc"},
};

TEST(EditTable, EditsInPlace)
{
    for (const edit_case &c : edit_cases) {
        pexilon::lsp::edited_text text(c.text, 1 << 20);
        for (const auto &[line, character, end_line, end_character, replacement] : c.edits)
            EXPECT_EQ(text.replace({line, character}, {end_line, end_character}, replacement),
                      edit_result::applied)
                << c.what;
        EXPECT_EQ(text.take(), c.wanted) << c.what;
    }
}

TEST(EditTable, HeldToTheLimit)
{
    pexilon::lsp::edited_text text("abc", 5);
    EXPECT_EQ(text.replace({0, 3}, {0, 3}, "de"), edit_result::applied);
    EXPECT_EQ(text.replace({0, 0}, {0, 0}, "f"), edit_result::too_large);
    EXPECT_EQ(text.replace({0, 0}, {0, 2}, "g"), edit_result::applied);
    EXPECT_EQ(text.take(), "gcde");
}

// Edits that name a place the text does not have change nothing: the
// editor's text is not the one the server holds.
const std::vector<edit_case> outside_cases = {
    {"past every line", "ab\n", {{9, 9, 9, 9, "c"}}, "ab\n"},
    {"end past every line", "ab\ncd", {{0, 1, 2, 0, ""}}, "ab\ncd"},
    {"line of a lone \\r counted", "a\rb", {{2, 0, 2, 0, "c"}}, "a\rb"},
    {"end before start", "abc", {{0, 2, 0, 1, ""}}, "abc"},
};

TEST(EditTable, OutsideTheTextChangesNothing)
{
    for (const edit_case &c : outside_cases) {
        pexilon::lsp::edited_text text(c.text, 1 << 20);
        for (const auto &[line, character, end_line, end_character, replacement] : c.edits)
            EXPECT_EQ(text.replace({line, character}, {end_line, end_character}, replacement),
                      edit_result::outside)
                << c.what;
        EXPECT_EQ(text.take(), c.wanted) << c.what;
    }
}

// ---- framing ---------------------------------------------------------------

struct frame_case {
    const char *what;
    std::string input;
    std::vector<read_status> statuses; // what successive reads give
    std::vector<std::string> bodies;   // the bodies of the messages among them
};

const std::vector<frame_case> frame_cases = {
    {"one message",
     "Content-Length: 2\r\n\r\n{}",
     {read_status::message, read_status::end_of_input},
     {"{}"}},
    {"LF alone and other headers",
     "Content-Type: x\ncontent-length:  3 \n\n[1]",
     {read_status::message},
     {"[1]"}},
    {"missing length",
     "Content-Type: x\r\n\r\nContent-Length: 2\r\n\r\n{}",
     {read_status::bad_header, read_status::message},
     {"{}"}},
    {"length not a number",
     "Content-Length: 2x\r\n\r\nContent-Length: 1\r\n\r\n1",
     {read_status::bad_header, read_status::message},
     {"1"}},
    {"length past the range of size_t",
     "Content-Length: 99999999999999999999999\r\n\r\n",
     {read_status::bad_header, read_status::end_of_input},
     {}},
    {"short length leaves bytes before the next header",
     "Content-Length: 3\r\n\r\n{\"a\":1}Content-Length: 2\r\n\r\n{}",
     {read_status::message, read_status::message},
     {"{\"a", "{}"}},
    {"body cut by the end of input",
     "Content-Length: 10\r\n\r\n{}",
     {read_status::end_of_input},
     {}},
    {"over the limit is skipped",
     "Content-Length: 20\r\n\r\n01234567890123456789Content-Length: 1\r\n\r\n7",
     {read_status::too_large, read_status::message},
     {"7"}},
    {"a length no client could send is refused, not waited for",
     "Content-Length: 18446744073709551615\r\n\r\nContent-Length: 1\r\n\r\n7",
     {read_status::too_large, read_status::message},
     {"7"}},
    {"blank lines between messages",
     "\r\n\r\nContent-Length: 1\r\n\r\n5",
     {read_status::message},
     {"5"}},
};

// A message written in pieces reads back as one body, empty pieces and all.
TEST(FramingTable, PiecesWrittenReadAsOneBody)
{
    std::FILE *stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    pexilon::lsp::message_writer message(stream, 11);
    for (const char *piece : {"{\"a\":", "", "[1,", "2]}"})
        message.write(piece);
    ASSERT_TRUE(message.finish());
    ASSERT_TRUE(pexilon::lsp::write_message(stream, "{}"));
    std::rewind(stream);
    EXPECT_EQ(pexilon::lsp::read_message(stream).body, "{\"a\":[1,2]}");
    EXPECT_EQ(pexilon::lsp::read_message(stream).body, "{}");
    std::fclose(stream);
}

TEST(FramingTable, ReadsWhatEachInputHolds)
{
    for (const frame_case &c : frame_cases) {
        std::FILE *in = fmemopen(const_cast<char *>(c.input.data()), c.input.size(), "r");
        ASSERT_NE(in, nullptr);
        std::size_t body = 0;
        for (read_status want : c.statuses) {
            const pexilon::lsp::read_result got = pexilon::lsp::read_message(in, 16);
            EXPECT_EQ(static_cast<int>(got.status), static_cast<int>(want)) << c.what;
            if (got.status == read_status::message && body < c.bodies.size()) {
                EXPECT_EQ(got.body, c.bodies[body]) << c.what;
                ++body;
            }
        }
        EXPECT_EQ(body, c.bodies.size()) << c.what;
        std::fclose(in);
    }
}

} // namespace
