// The in-memory source: read_text_line on its own, parse_bytes, and
// memory against file giving the same events and status.
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/parse_outcome.h"
#include "reader/stream_source.h"
#include "reader/text_source.h"
#include "support/event_cases.h"

namespace {

using namespace std::string_literals;
using pexilon::read_text_line;
using pexilon::text_cursor;
using pexilon_test::event;
using pexilon_test::recorder;
using pexilon_test::temp_file;

// Every piece read_text_line hands out for `text` with buffers of `size`.
std::vector<std::string> pieces(const std::string &text, int size)
{
    text_cursor cursor{text.data(), text.size()};
    std::vector<std::string> out;
    std::vector<char> buf(static_cast<std::size_t>(size) + 1, 'X');
    while (char *got = read_text_line(buf.data(), size, &cursor)) {
        EXPECT_EQ(got, buf.data());
        out.emplace_back(buf.data());
        if (out.size() > text.size() + 1)
            break; // a reader that never ends
    }
    EXPECT_EQ(cursor.bytes_left, 0u);
    EXPECT_EQ(cursor.position, text.data() + text.size());
    EXPECT_EQ(read_text_line(buf.data(), size, &cursor), nullptr) << "null again after the end";
    return out;
}

TEST(ReadTextLine, HandsOutLinesAndPieces)
{
    const struct {
        std::string text;
        int size;
        std::vector<std::string> expected;
    } cases[] = {
        {"", 200, {}},
        {"ab\ncd", 200, {"ab\n", "cd"}},
        {"ab\n\n\ncd\n", 200, {"ab\n", "\n", "\n", "cd\n"}},
        {"abcdefg\n", 4, {"abc", "def", "g\n"}},
        {"abc\n", 4, {"abc", "\n"}},
        {"abc", 2, {"a", "b", "c"}},
        {std::string(199, 'a'), 200, {std::string(199, 'a')}},
        {std::string(200, 'a'), 200, {std::string(199, 'a'), "a"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20) + " / " + std::to_string(c.size));
        EXPECT_EQ(pieces(c.text, c.size), c.expected);
    }
}

TEST(ReadTextLine, SizeBelowTwoGivesNullAndUsesNothing)
{
    const char text[] = "ab\n";
    for (const int size : {1, 0, -1}) {
        text_cursor cursor{text, 3};
        char buf[4] = {'X', 'X', 'X', 'X'};
        EXPECT_EQ(read_text_line(buf, size, &cursor), nullptr) << size;
        EXPECT_EQ(cursor.position, text);
        EXPECT_EQ(cursor.bytes_left, 3u);
        if (size <= 0) {
            EXPECT_EQ(buf[0], 'X') << "no room to write anything at size " << size;
        }
    }
}

TEST(ReadTextLine, NulBytesAreHandedOutByCount)
{
    const std::string text = "a\0b\nc"s;
    text_cursor cursor{text.data(), text.size()};
    char buf[16];
    std::memset(buf, 'X', sizeof buf);
    ASSERT_EQ(read_text_line(buf, sizeof buf, &cursor), buf);
    EXPECT_EQ(std::string(buf, 5), "a\0b\n\0"s);
    EXPECT_EQ(cursor.position, text.data() + 4);
    EXPECT_EQ(cursor.bytes_left, 1u);
    ASSERT_EQ(read_text_line(buf, sizeof buf, &cursor), buf);
    EXPECT_STREQ(buf, "c");
}

struct run_result {
    std::vector<event> events;
    int line;
};

run_result from_text(const std::string &text)
{
    recorder rec;
    const int line = pexilon::parse_bytes(text.data(), text.size(), &recorder::handle, &rec).line;
    return {rec.events, line};
}

run_result from_file(const std::string &text)
{
    temp_file file(text);
    recorder rec;
    const int line = pexilon::parse_path(file.path(), &recorder::handle, &rec).line;
    return {rec.events, line};
}

TEST(ParseBytes, LinesAtTheEndOfTheText)
{
    const std::string v197(197, 'v');
    const struct {
        const char *label;
        std::string text;
        std::vector<event> events;
        int line;
    } cases[] = {
        {"empty text", "", {}, 0},
        {"last line without newline", "a=1\nb=2", {{"", "a", "1"}, {"", "b", "2"}}, 0},
        {"faulty last line without newline", "a=1\nbad", {{"", "a", "1"}}, 2},
        {"199 characters without newline: one line", "a=" + v197, {{"", "a", v197}}, 0},
        {"200 characters without newline: two lines", "a=" + v197 + "w", {{"", "a", v197}}, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const auto got = from_text(c.text);
        EXPECT_EQ(got.events, c.events);
        EXPECT_EQ(got.line, c.line);
    }
}

// Many lines of every length up to past the line buffer, some 190 KB: more
// than a reader takes in one block (64 KB, a file's or a text's), so lines
// straddle its blocks.
std::string big_text()
{
    std::string text = "[s]\n";
    for (int i = 0; i < 1300; ++i) {
        text += (i % 5 == 0 ? "  k" : "k") + std::to_string(i) + " = ";
        text += std::string(static_cast<std::size_t>(i * 37 % 260), 'x');
        text += i % 3 == 0 ? "\r\n" : "\n";
    }
    return text + "last=1";
}

TEST(ParseBytes, FileAndMemoryAgree)
{
    const std::string texts[] = {
        big_text(),
        "",
        "[camera parameter]\r\nSIZE = 640, 480 ; comment\r\n  more\r\n",
        "\xEF\xBB\xBF[s]\nk: v\n[a][b]\nbad\n=x\n",
        "[c]\n======CODE_BLOCK_START======\n  code ; kept\n\n======CODE_BLOCK_END======\nx=1",
        "a=1\n======code_block_start======\nx\n[t]\n  y\n",
        "a=" + std::string(300, 'v') + "\n" + std::string(199, 'w') + "\n; end",
        "[s\nno separator\n======CODE_BLOCK_START======\nnever closed\n",
    };
    for (const auto &text : texts) {
        SCOPED_TRACE(text.substr(0, 40));
        const auto mem = from_text(text);
        const auto file = from_file(text);
        EXPECT_EQ(file.events, mem.events);
        EXPECT_EQ(file.line, mem.line);

        recorder a, b;
        temp_file f(text);
        const auto in_file = pexilon::parse_path(f.path(), &recorder::handle, &a);
        const auto in_memory =
            pexilon::parse_bytes(text.data(), text.size(), &recorder::handle, &b);
        EXPECT_EQ(a.events, b.events);
        EXPECT_EQ(in_file.line, in_memory.line);
        EXPECT_EQ(static_cast<int>(in_file.kind), static_cast<int>(in_memory.kind));
    }
}

TEST(ParsePath, MissingFileGivesMinusOneWithoutCalls)
{
    recorder rec;
    EXPECT_EQ(pexilon::parse_path("/nonexistent/pexilon/none.cfg", &recorder::handle, &rec).line,
              -1);
    EXPECT_TRUE(rec.events.empty());
}

} // namespace
