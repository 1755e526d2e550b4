// The document: printed back byte for byte from its parts on every file the
// project keeps and on hostile texts, with the record of the plain parse;
// the parts and facts of the lines people write.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "config/parse_config.h"
#include "config/record_compare.h"
#include "document/document.h"
#include "support/record_ops.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using pexilon::document;
using pexilon::part_role;

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct named_text {
    std::string name;
    std::string text;
};

// Texts that try the reader's edges: each is printed back as it is.
std::vector<named_text> hostile_texts()
{
    const std::string reg = "[register parameter]\nREG = 0x3000, 0x01";
    return {
        {"empty", ""},
        {"newline alone", "\n"},
        {"no final newline", reg},
        {"CRLF", "[camera parameter]\r\nSIZE = 640, 480\r\n"},
        {"lone CR", "[camera parameter]\rSIZE = 640, 480\r"},
        {"BOM", "\xEF\xBB\xBF[camera parameter]\nBIT_WIDTH = 10\n"},
        {"BOM alone", "\xEF\xBB\xBF"},
        {"NUL in a value", "[camera parameter]\nTYPE = a\0b\nSIZE = 1, 2\n"s},
        {"NUL first", "\0\n[camera parameter]\n"s},
        // The last line 199 bytes with its newline, then 200 and 400.
        {"199 bytes", reg + ", " + std::string(178, '1') + "\n"},
        {"200 bytes", "REG = 1" + std::string(192, ' ') + "\n"},
        {"400 bytes", reg + " ; " + std::string(378, 'x') + "\nREG = 1\n"},
        {"long header", "[" + std::string(250, 'a') + "]\nSIZE = 1\n"},
        {"open block", "[control parameter]\n======CODE_BLOCK_START======\nx\n"},
        {"white only", " \t\r\n\v\f \n"},
    };
}

std::vector<named_text> every_input()
{
    std::vector<named_text> inputs = hostile_texts();
    const std::string tests = PEXILON_TESTS_DIR;
    for (const std::string &dir :
         {tests + "/data", tests + "/check", tests + "/diff", std::string(PEXILON_FUZZ_CORPUS_DIR)})
        for (const auto &entry : fs::recursive_directory_iterator(dir))
            if (entry.is_regular_file() &&
                (dir == PEXILON_FUZZ_CORPUS_DIR || entry.path().extension() == ".conf"))
                inputs.push_back({entry.path().string(), contents(entry.path())});
    return inputs;
}

TEST(Document, EveryInputPrintsBackWithThePlainRecord)
{
    const std::vector<named_text> inputs = every_input();
    ASSERT_GT(inputs.size(), 100u);
    for (const named_text &input : inputs) {
        SCOPED_TRACE(input.name);
        const document doc(input.text);
        EXPECT_EQ(doc.print(), input.text);
        // The parts lie end to end over each line, none empty.
        std::size_t at = 0;
        for (std::size_t line = 0; line < doc.lines().size(); ++line)
            for (const pexilon::line_part &part : doc.parts_of(line)) {
                EXPECT_EQ(part.bytes.begin, at);
                EXPECT_LT(part.bytes.begin, part.bytes.end);
                at = part.bytes.end;
            }
        EXPECT_EQ(at, input.text.size());
        EXPECT_TRUE(doc.parts_of(doc.lines().size()).empty());
        for (const pexilon::document_piece &piece : doc.pieces())
            EXPECT_TRUE(piece.accounted) << "reader line " << piece.reader_line;
        parsed_config plain{};
        const pexilon::config_report report =
            pexilon::parse_config_bytes(input.text.data(), input.text.size(), &plain);
        EXPECT_EQ(doc.report().outcome.line, report.outcome.line);
        EXPECT_FALSE(pexilon::first_mismatch(doc.record(), plain));
        pexilon::release_record(plain);
    }
}

// Read without parts and numbers, a document has the same lines, pieces,
// sections, blocks and record as read whole: only what it was spared is gone.
TEST(Document, PiecesAloneAreThePiecesOfTheWhole)
{
    for (const named_text &input : every_input()) {
        SCOPED_TRACE(input.name);
        const document whole(input.text);
        const document lean(input.text, pexilon::document_detail::pieces);
        EXPECT_TRUE(lean.numbers().empty());
        EXPECT_EQ(lean.print(), input.text);
        ASSERT_EQ(lean.lines().size(), whole.lines().size());
        for (std::size_t i = 0; i < lean.lines().size(); ++i) {
            EXPECT_EQ(lean.lines()[i].bytes, whole.lines()[i].bytes);
            EXPECT_EQ(lean.lines()[i].piece_count, whole.lines()[i].piece_count);
            EXPECT_EQ(lean.lines()[i].block, whole.lines()[i].block);
        }
        ASSERT_EQ(lean.pieces().size(), whole.pieces().size());
        for (std::size_t i = 0; i < lean.pieces().size(); ++i) {
            const pexilon::document_piece &a = lean.pieces()[i];
            const pexilon::document_piece &b = whole.pieces()[i];
            EXPECT_EQ(std::tie(a.bytes, a.kind, a.name, a.value, a.rest, a.section, a.fate,
                               a.problem, a.key, a.index, a.changed),
                      std::tie(b.bytes, b.kind, b.name, b.value, b.rest, b.section, b.fate,
                               b.problem, b.key, b.index, b.changed))
                << "reader line " << a.reader_line;
            EXPECT_EQ(a.number_count, 0u);
        }
        ASSERT_EQ(lean.sections().size(), whole.sections().size());
        for (std::size_t i = 0; i < lean.sections().size(); ++i)
            EXPECT_EQ(lean.sections()[i].ctrl_name, whole.sections()[i].ctrl_name);
        EXPECT_EQ(lean.blocks().size(), whole.blocks().size());
        EXPECT_FALSE(pexilon::first_mismatch(lean.record(), whole.record()));
    }
}

const char *role_name(part_role role)
{
    static const char *const names[] = {"gap",  "bom",  "name",    "sep",      "value",
                                        "item", "rest", "comment", "trailing", "end"};
    return names[static_cast<int>(role)];
}

// "name:SIZE sep:= ..." for the parts of line `line`, the gaps unnamed.
std::string parts_of(const document &doc, std::size_t line)
{
    std::string out;
    EXPECT_LT(line, doc.lines().size());
    for (const pexilon::line_part &part : doc.parts_of(line)) {
        out += out.empty() ? "" : " ";
        out += std::string(role_name(part.role)) + ":" + std::string(doc.bytes(part.bytes));
    }
    return out;
}

struct parts_row {
    const char *text;
    std::size_t line; // 0-based
    const char *parts;
};

const parts_row parts_rows[] = {
    {"[camera parameter]\nSIZE = 1440, 1080   ; active area\n", 1,
     "name:SIZE gap:  sep:= gap:  item:1440 gap:,  item:1080 gap:    comment:; active area end:\n"},
    {"[register parameter]\nREG: 0x3000,0x01 \r\n", 1,
     "name:REG sep:: gap:  item:0x3000 gap:, item:0x01 trailing:  end:\r\n"},
    {"\xEF\xBB\xBF[camera parameter]\n", 0,
     "bom:\xEF\xBB\xBF gap:[ name:camera parameter gap:] end:\n"},
    {"  # note  \n", 0, "gap:   comment:# note trailing:   end:\n"},
    {"[register parameter]\nREG = 0x3000,\n    0x3001, 0x02", 2,
     "gap:     item:0x3001 gap:,  item:0x02"},
    {"[register parameter] [dev3] ; x\n", 0,
     "gap:[ name:register parameter gap:]  rest:[dev3] ; x end:\n"},
    {"[camera parameter] ; about\n", 0,
     "gap:[ name:camera parameter gap:]  comment:; about end:\n"},
    {"[camera parameter]\nTYPE = IMX477 // sensor\n", 1,
     "name:TYPE gap:  sep:= gap:  value:IMX477 gap:  comment:// sensor end:\n"},
    {"[camera parameter]\nWIDHT = 1440\n", 1, "name:WIDHT gap:  sep:= gap:  value:1440 end:\n"},
    {"DELAY 5\n", 0, "gap:DELAY 5 end:\n"},
    {"\n", 0, "end:\n"},
};

TEST(Document, LinesSplitIntoTheirParts)
{
    for (const parts_row &row : parts_rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parts_of(document(row.text), row.line), row.parts);
    }
}

TEST(Document, LinesTellWhatTheyBecame)
{
    const document doc("[camera parameter]\n"
                       "BIT_WIDTH = 300\n"
                       "WIDHT = 1\n"
                       "[register paramter]\n"
                       "REG = 1\n"
                       "[control parameter]\n"
                       "CTRL_NAME = Gain\n"
                       "MAX_VALUE = 3100\n"
                       "    STEP = 1\n"
                       "======CODE_BLOCK_START======\n"
                       "set(v);\n"
                       "======CODE_BLOCK_END======\n");
    const pexilon::document_piece &width = *doc.first_piece(1);
    EXPECT_EQ(width.fate, pexilon::line_fate::stored);
    ASSERT_EQ(width.number_count, 1u);
    const pexilon::document_number &n = doc.numbers()[width.first_number];
    EXPECT_EQ(doc.bytes(n.written), "300");
    EXPECT_EQ(n.read, 300);
    EXPECT_EQ(n.stored, 44);
    EXPECT_EQ(doc.record().camera.bit_width, 44);
    EXPECT_EQ(doc.first_piece(2)->cause, pexilon::ignore_cause::unknown_key);
    EXPECT_EQ(doc.first_piece(4)->cause, pexilon::ignore_cause::unknown_section);
    EXPECT_EQ(doc.first_piece(8)->continues, "MAX_VALUE");
    ASSERT_EQ(doc.sections().size(), 3u);
    EXPECT_EQ(doc.sections()[1].code, 0u);
    EXPECT_EQ(doc.sections()[1].first_line, 3u);
    EXPECT_EQ(doc.sections()[1].last_line, 4u);
    EXPECT_EQ(doc.sections()[2].control, 0u);
    EXPECT_EQ(doc.bytes(doc.sections()[2].ctrl_name), "Gain");
    EXPECT_EQ(doc.sections()[2].last_line, 11u);
    EXPECT_EQ(doc.section_at(4), &doc.sections()[1]);
    EXPECT_EQ(doc.section_at(0), &doc.sections()[0]);
    ASSERT_EQ(doc.blocks().size(), 1u);
    EXPECT_EQ(doc.blocks()[0].first_line, 9u);
    EXPECT_EQ(doc.blocks()[0].last_line, 11u);
    EXPECT_EQ(doc.blocks()[0].control, 0u);
    EXPECT_EQ(doc.lines()[10].block, 0u);
    EXPECT_EQ(doc.lines()[8].block, pexilon::no_index);
}

TEST(Document, LongLinesKeepTheirPieces)
{
    const document doc("REG = 1 ; " + std::string(390, 'x') + "\nSIZE = 1\n");
    ASSERT_EQ(doc.lines().size(), 2u);
    EXPECT_EQ(doc.lines()[0].piece_count, 3u);
    EXPECT_EQ(doc.pieces()[1].bytes.begin, 199u);
    EXPECT_EQ(doc.pieces()[2].bytes.size(), 3u);
    EXPECT_EQ(doc.pieces()[3].reader_line, 4u);
    EXPECT_EQ(doc.lines()[1].first_piece, 3u);
}

} // namespace
