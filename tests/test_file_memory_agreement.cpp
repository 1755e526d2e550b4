// Property: a configuration text gives the same result and the same record
// whether it is read from a file or from memory. The texts
// are generated from the dialect's pieces, well-formed and not, with a fixed
// seed so that a failure can be replayed.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "config/parse_config.h"
#include "reader/stream_lines.h"
#include "support/test_support.h"

namespace {

// clang-format off
const std::vector<std::string> pieces = {
    "[camera parameter]", "[control parameter]", "[board parameter]",
    "[board parameter][dev2]", "[board parameter][dev3][inf2]", "[board parameter][dev3][inf3]",
    "[register parameter]", "[register parameter][dev3][inf2]",
    "[register parameter][dev3][inf3]", "[ camera parameter]", "[unknown]", "[open",
    "CFG_MODE = 0x3", "TYPE = sensor ; c", "SIZE = 640, 480", "SIZE: 1", "FORMAT = 511, 16",
    "BIT_WIDTH = 511", "I2C_MODE = 2", "I2C_ADDR = 0x12345", "TRANS_LVL = -1",
    "REG = 0x10, 0x20", "DELAY = 5 // ms", "VRCMD:1,2,3", "REG =", "REG = 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17",
    "MIN_VALUE = -9223372036854775808", "MAX_VALUE = 0x7fffffffffffffff", "STEP = 0x100000001",
    "DEF = 12", "CTRL_NAME = Exposure", "FUNC_NAME = set", "    0x30, 0x40", "\t; indented comment",
    "; comment", "# comment", "// comment", "no separator here", "= empty name",
    "======CODE_BLOCK_START======", "======code_block_end======", "  write(1, 2) ; keep",
    "", "   ", "\xEF\xBB\xBF" "REG = 1", "name;glued = x", "x = 1;2 ;cut", "\xC3\xA9 = \xFF",
};
// clang-format on

std::string generate(std::mt19937 &random)
{
    std::string text;
    const int lines = std::uniform_int_distribution<int>(0, 40)(random);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    for (int i = 0; i < lines; ++i) {
        text += pieces[pick(random)];
        switch (random() % 12) {
        case 0:
            text += std::string(150 + random() % 200, 'v'); // an over-long line
            break;
        case 1:
            text += "\r";
            break;
        default:
            break;
        }
        text += "\n";
    }
    if (!text.empty() && random() % 4 == 0)
        text.pop_back(); // no newline at the end
    return text;
}

} // namespace

TEST(FileMemoryAgreement, GeneratedTextsGiveTheSameResultAndRecord)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 400; ++round) {
        const std::string text = generate(random);
        pexilon_test::temp_file file(text);
        pexilon_test::record from_file;
        pexilon_test::record from_memory;
        const int file_result = pexilon_parse_config(file.path(), &from_file);
        const pexilon::config_report memory =
            pexilon::parse_config_bytes(text.data(), text.size(), &from_memory);
        ASSERT_EQ(file_result, memory.outcome.line) << "round " << round << ":\n" << text;
        ASSERT_EQ(pexilon_test::record_difference(from_file, from_memory), "")
            << "round " << round << ":\n"
            << text;
    }
}

// A NUL byte ends the text of a line: the white space before it is trimmed,
// and what follows it is neither trimmed nor kept. The file reader knows
// where a line from a block without NUL bytes ends; for the others it looks.
TEST(FileMemoryAgreement, NulBytesEndTheTextOfTrimmedLines)
{
    const struct {
        std::string text;
        const char *code; // of the one control, or null for none
        std::uint32_t params;
    } cases[] = {
        {std::string("[control parameter]\n======CODE_BLOCK_START======\n  wr(1) \0ite \n"
                     "======CODE_BLOCK_END======\n",
                     90),
         "  wr(1)\n", 0},
        {std::string("[control parameter]\n======CODE_BLOCK_START====== \0x\nwr\n"
                     "======CODE_BLOCK_END======\n",
                     82),
         "wr\n", 0},
        {std::string("[register parameter]\nREG = 1\n  0x30 \0, 0x40 x\n", 46), nullptr, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        pexilon_test::temp_file file(c.text);
        pexilon_test::record from_file;
        pexilon_test::record from_memory;
        const int file_result = pexilon_parse_config(file.path(), &from_file);
        const int memory_result =
            pexilon::parse_config_bytes(c.text.data(), c.text.size(), &from_memory).outcome.line;
        EXPECT_EQ(file_result, memory_result);
        EXPECT_EQ(pexilon_test::record_difference(from_file, from_memory), "");
        EXPECT_EQ(from_file.param_count, c.params);
        if (c.code != nullptr) {
            ASSERT_EQ(from_file.control_count, 1u);
            ASSERT_NE(from_file.controls[0].code, nullptr);
            EXPECT_STREQ(from_file.controls[0].code, c.code);
        }
    }
}

// The file reader hands lines out in place inside its 64 KB read block and
// copies only those that straddle the end of a block. Each text puts one kind
// of line across, up to and just after a block edge; read from memory (its
// bytes copied into a block of the same size, the file reader's code after
// that), it must give the same.
TEST(FileMemoryAgreement, LinesAtTheEdgesOfReadBlocks)
{
    const std::string long_list = "REG = 1" + std::string(230, ' ') + ", 2\n";
    const std::string lines[] = {
        "REG = 0x10, 0x20\n",
        "REG = 0x10, 0x20",                       // the last line, without a newline
        "REG = 3" + std::string(191, ' ') + "\n", // 199 bytes and the newline: two pieces
        "REG = 4" + std::string(192, ' ') + "\n", // 199 bytes and the newline
        "REG = 5" + std::string(192, ' '),        // a lone 199-byte piece
        long_list,
        "  0x30, 0x40 ; continued\n",
        "REG = 0x1234, 0x56, 0x78, 0x9AB\n",  // the newline is the 32nd byte: found at once
        "REG = 0x1234, 0x56, 0x78, 0x9ABC\n", // the 33rd: looked for further
        "\n",
        std::string("RE\0G = 6\n", 9),
    };
    for (const std::size_t edge : {pexilon::heap_block_size, 2 * pexilon::heap_block_size}) {
        for (const std::string &line : lines) {
            for (const std::size_t before :
                 {0, 1, 2, 3, 31, 32, 33, 100, 198, 199, 200, 201, 240}) {
                // Comment lines of 50 bytes fill the file up to `before` bytes
                // ahead of the edge; the last of them takes up the remainder.
                std::string text = "[register parameter]\nREG = 1\n";
                while (text.size() + 100 <= edge - before)
                    text += "; " + std::string(47, 'c') + "\n";
                text += "; " + std::string(edge - before - text.size() - 3, 'd') + "\n";
                ASSERT_EQ(text.size(), edge - before);
                text += line;
                if (line.back() == '\n')
                    text += "REG = 0x7, 8\n";
                pexilon_test::temp_file file(text);
                pexilon_test::record from_file;
                pexilon_test::record from_memory;
                const int file_result = pexilon_parse_config(file.path(), &from_file);
                const int memory_result =
                    pexilon::parse_config_bytes(text.data(), text.size(), &from_memory)
                        .outcome.line;
                const std::string where =
                    "edge " + std::to_string(edge) + " - " + std::to_string(before) + ": " + line;
                EXPECT_EQ(file_result, memory_result) << where;
                EXPECT_EQ(pexilon_test::record_difference(from_file, from_memory), "") << where;
                EXPECT_GE(from_file.param_count, 2u) << where;
            }
        }
    }
}
