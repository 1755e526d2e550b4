// The two places where the server translates between worlds: the protocol's
// framing on a byte stream, and byte columns against UTF-16 columns.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "message_stream.h"
#include "text_lines.h"

namespace {

using pexilon_lsp::read_status;

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
        const pexilon_lsp::text_lines lines(c.line);
        EXPECT_EQ(lines.utf16_column(0, c.bytes), c.units) << c.what;
    }
}

TEST(ColumnsTable, UnitsBackToBytes)
{
    for (const column_case &c : column_cases) {
        const pexilon_lsp::text_lines lines(c.line);
        const std::size_t bytes = c.bytes < c.line.size() ? c.bytes : c.line.size();
        EXPECT_EQ(lines.byte_column(0, c.units), bytes) << c.what;
    }
}

TEST(ColumnsTable, ColumnInsideCharacterMovesToItsStart)
{
    const pexilon_lsp::text_lines lines("\xF0\x9F\x98\x80x");
    EXPECT_EQ(lines.byte_column(0, 1), 0u);  // between the two halves of a pair
    EXPECT_EQ(lines.utf16_column(0, 2), 0u); // inside the four bytes
}

TEST(ColumnsTable, LinesEndAtNewlineOnly)
{
    const pexilon_lsp::text_lines lines("a\r\nb\rc\n\xC3\xA9\n");
    ASSERT_EQ(lines.count(), 4u);
    EXPECT_EQ(lines.line(0), "a\r");
    EXPECT_EQ(lines.line(1), "b\rc"); // a lone CR is white space to the reader
    EXPECT_EQ(lines.line(3), "");
    EXPECT_EQ(lines.offset(2, 1), 9u);  // after the two-byte character
    EXPECT_EQ(lines.offset(7, 0), 10u); // past the end: the end
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
    {"blank lines between messages",
     "\r\n\r\nContent-Length: 1\r\n\r\n5",
     {read_status::message},
     {"5"}},
};

TEST(FramingTable, ReadsWhatEachInputHolds)
{
    for (const frame_case &c : frame_cases) {
        std::FILE *in = fmemopen(const_cast<char *>(c.input.data()), c.input.size(), "r");
        ASSERT_NE(in, nullptr);
        std::size_t body = 0;
        for (read_status want : c.statuses) {
            const pexilon_lsp::read_result got = pexilon_lsp::read_message(in, 16);
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
