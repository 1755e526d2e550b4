// The language server's formatting: the edits it sends, made by an editor,
// give the text `pexilon-config fmt` prints; a range changes its lines only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/formatter.h"
#include "formatting.h"
#include "line_diff.h"
#include "text_lines.h"

namespace {

// The edits made as an editor makes them: last first, positions in UTF-16.
std::string edited(std::string text, const nlohmann::json &edits)
{
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const pexilon::lsp::text_lines lines(text);
        const auto offset = [&](const nlohmann::json &at) {
            return lines.offset(at.at("line").get<std::size_t>(),
                                at.at("character").get<std::size_t>());
        };
        const std::size_t start = offset(it->at("range").at("start"));
        const std::size_t end = offset(it->at("range").at("end"));
        text.replace(start, end - start, it->at("newText").get<std::string>());
    }
    return text;
}

const std::string messy = "\n; héllo\n[camera parameter]\nSIZE:640,480   \n"
                          "I2C_ADDR=0x1a\n[register parameter]\n  REG=1,2\nREG = 3\n"
                          "    4,5\n\n\n";

TEST(LspFormatting, EditsGiveTheFormattedText)
{
    const nlohmann::json params = {{"textDocument", {{"uri", "file:///a.conf"}}},
                                   {"options", {{"tabSize", 4}, {"insertSpaces", true}}}};
    const nlohmann::json edits = pexilon::lsp::format_edits(messy, params);
    ASSERT_TRUE(edits.is_array());
    EXPECT_GT(edits.size(), 1u); // only the lines that change, not the whole text
    EXPECT_EQ(edited(messy, edits), pexilon::format::format_text(messy, {}).text);
    // A formatted text needs no edit.
    EXPECT_EQ(pexilon::lsp::format_edits(edited(messy, edits), params).size(), 0u);
}

TEST(LspFormatting, OptionsReachTheLayout)
{
    const nlohmann::json params = {
        {"options", {{"pexilon.align", true}, {"pexilon.hexCase", "lower"}}}};
    const std::string result = edited(messy, pexilon::lsp::format_edits(messy, params));
    EXPECT_EQ(result,
              pexilon::format::format_text(messy, {true, pexilon::format::hex_case::lower}).text);
    EXPECT_NE(result.find("I2C_ADDR = 0x1a"), std::string::npos);
}

TEST(LspFormatting, RangeChangesItsLinesOnly)
{
    // Lines 6-7 (0-based): the register section's first pairs; the blank line
    // before its header and the continuation after them are not asked for.
    const nlohmann::json params = {
        {"range",
         {{"start", {{"line", 6}, {"character", 0}}}, {"end", {{"line", 7}, {"character", 3}}}}}};
    const std::string result = edited(messy, pexilon::lsp::format_edits(messy, params));
    const std::string want = "\n; héllo\n[camera parameter]\nSIZE:640,480   \nI2C_ADDR=0x1a\n"
                             "[register parameter]\nREG = 1, 2\nREG = 3\n    4,5\n\n\n";
    EXPECT_EQ(result, want);
    // Whole lines selected: the range ends at the start of the next line,
    // which is not part of it.
    const nlohmann::json lines = {
        {"range",
         {{"start", {{"line", 6}, {"character", 0}}}, {"end", {{"line", 8}, {"character", 0}}}}}};
    EXPECT_EQ(edited(messy, pexilon::lsp::format_edits(messy, lines)), want);
}

// What the server sends is written as text, not built as JSON: it must be
// the bytes the JSON edits serialize to, whatever the texts hold (quotes,
// backslashes, tabs and CRs, which are escaped as the texts are written;
// control bytes, DEL, bytes that are not UTF-8 and characters beyond the
// Basic Multilingual Plane, which are left to the JSON library), and as
// long as the reply said before writing it.
TEST(LspFormatting, EditsAsTextAreTheEditsSerialized)
{
    const nlohmann::json params = {{"textDocument", {{"uri", "file:///a.conf"}}}};
    const std::vector<std::string> texts = {
        messy,
        "",
        "[camera parameter]\nTYPE=\"a\\b\"\t\x01\n",
        "[camera parameter]\r\nTYPE=caf\xc3\xa9\xff\xfe\r\nSIZE=1,2\r\n",
        "; \xf0\x9f\x93\xb7 \xf0\x9f\x93\xb7\n[register parameter]\nREG=1,2\n\n\n\nREG=3,4",
        "[camera parameter]\r\nTYPE=\"a\\\\b\"\t\"\"c d\\\r\nSIZE=1,2\r\n",
        "[camera parameter]\nTYPE=a\x7f\x08\x0c\nSIZE=1,2\n",
        "[camera parameter]\nTYPE=abcdefg\xc3\xa9\"\nSIZE=1,2\n",
    };
    for (const std::string &text : texts) {
        const nlohmann::json edits = pexilon::lsp::format_edits(text, params);
        pexilon::lsp::format_reply reply(text, params);
        EXPECT_EQ(reply.text(),
                  edits.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))
            << text;
        EXPECT_EQ(reply.size(), reply.text().size()) << text;
    }
    // A range as well.
    const nlohmann::json part = {
        {"textDocument", {{"uri", "file:///a.conf"}}},
        {"range",
         {{"start", {{"line", 3}, {"character", 0}}}, {"end", {{"line", 4}, {"character", 0}}}}}};
    EXPECT_EQ(pexilon::lsp::format_reply(messy, part).text(),
              pexilon::lsp::format_edits(messy, part)
                  .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// A large reply comes in blocks, which join into it.
TEST(LspFormatting, LargeReplyComesInPieces)
{
    std::string text = "[register parameter]\n";
    for (int i = 0; i < 10000; ++i)
        text += "REG=0x" + std::to_string(1000 + i) + ",0x1\n";
    pexilon::lsp::format_reply reply(text, nlohmann::json::object());
    std::string joined;
    std::size_t pieces = 0;
    reply.write([&](std::string_view piece) {
        joined.append(piece);
        ++pieces;
    });
    EXPECT_GT(pieces, 1u);
    EXPECT_EQ(joined.size(), reply.size());
    EXPECT_EQ(joined, pexilon::lsp::format_edits(text, nlohmann::json::object())
                          .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// The runs of changed lines: (a, b, the runs as "a_begin-a_end>b_begin-b_end").

// Lines that collide in the filter, or share a hash bucket, are still told
// apart by their texts: many lines, each once on one side and some on both.
TEST(LineDiff, ManyLinesAgainstTheShortestEdit)
{
    std::string a, b;
    for (int i = 0; i < 20000; ++i) {
        a += "line " + std::to_string(i) + "\n";
        if (i % 7 != 0)
            b += (i % 3 == 0 ? "line " : "LINE ") + std::to_string(i) + "\n";
        if (i % 11 == 0)
            b += "new " + std::to_string(i) + "\n";
    }
    const std::vector<std::string_view> la = pexilon::lsp::lines_of(a),
                                        lb = pexilon::lsp::lines_of(b);
    std::size_t kept_a = 0, kept_b = 0, next_a = 0, next_b = 0;
    for (const pexilon::tool::change_run &run : pexilon::lsp::line_diff(la, lb)) {
        // Between two runs the lines are the same, one for one.
        ASSERT_EQ(run.a_begin - next_a, run.b_begin - next_b);
        for (std::size_t k = 0; k < run.a_begin - next_a; ++k)
            ASSERT_EQ(la[next_a + k], lb[next_b + k]);
        kept_a += run.a_begin - next_a;
        kept_b += run.b_begin - next_b;
        next_a = run.a_end;
        next_b = run.b_end;
    }
    ASSERT_EQ(la.size() - next_a, lb.size() - next_b);
    kept_a += la.size() - next_a;
    // Every line kept in b is a "line N" with N a multiple of 3 but not 7:
    // all of them are kept.
    std::size_t could = 0;
    for (int i = 0; i < 20000; ++i)
        could += i % 3 == 0 && i % 7 != 0;
    EXPECT_EQ(kept_a, could);
    (void)kept_b;
}

// Equal lines of every length are told equal, whatever follows them:
// each line of `a` comes back in `b` between other lines.
TEST(LineDiff, EqualLinesOfEveryLengthAreKept)
{
    std::string a, b;
    for (std::size_t n = 0; n < 40; ++n) {
        std::string line;
        for (std::size_t i = 0; i < n; ++i)
            line += static_cast<char>('a' + (n + i) % 26);
        a += line + "\nx\n";
        b += line + "\ny" + std::to_string(n) + "\n";
    }
    std::size_t kept = 0, next_a = 0;
    const std::vector<std::string_view> la = pexilon::lsp::lines_of(a),
                                        lb = pexilon::lsp::lines_of(b);
    for (const pexilon::tool::change_run &run : pexilon::lsp::line_diff(la, lb)) {
        kept += run.a_begin - next_a;
        next_a = run.a_end;
    }
    kept += la.size() - next_a;
    EXPECT_EQ(kept, 40u);
}

struct diff_case {
    const char *what;
    std::string a, b;
    std::string runs;
};

const std::vector<diff_case> diff_cases = {
    {"the same", "x\ny\n", "x\ny\n", ""},
    {"one line changed", "x\nA\ny\n", "x\nB\ny\n", "1-2>1-2 "},
    {"every line changed", "A\nB\nC\n", "a\nb\nc\n", "0-3>0-3 "},
    {"a line removed among changed ones", "A\nx\nB\nC\n", "a\nb\nc\n", "0-4>0-3 "},
    {"a kept line between changes", "A\nx\nB\n", "a\nx\nb\n", "0-1>0-1 2-3>2-3 "},
    {"insertion at the end", "x\n", "x\ny\n", "1-1>1-2 "},
    {"last line without a newline", "x\ny", "x\ny\n", "1-2>1-2 "},
    {"a repeated line", "x\nx\nA\nx\n", "x\nB\nx\nx\n", "1-1>1-2 2-3>3-3 "},
};

TEST(LineDiff, RunsOfChangedLines)
{
    for (const diff_case &c : diff_cases) {
        std::string runs;
        for (const pexilon::tool::change_run &run :
             pexilon::lsp::line_diff(pexilon::lsp::lines_of(c.a), pexilon::lsp::lines_of(c.b)))
            runs += std::to_string(run.a_begin) + "-" + std::to_string(run.a_end) + ">" +
                    std::to_string(run.b_begin) + "-" + std::to_string(run.b_end) + " ";
        EXPECT_EQ(runs, c.runs) << c.what;
    }
}

} // namespace
