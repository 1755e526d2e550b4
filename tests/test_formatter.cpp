// The formatter: the layout's rules case by case, and over every file at
// hand the promises that matter more than any rule: the record, the parse
// result and the diagnostics stay the same, and a second run changes nothing.
#include <algorithm>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../bench/generate_config.h"
#include "check/checker.h"
#include "config/parse_config.h"
#include "format/formatter.h"
#include "support/test_support.h"

namespace {

using pexilon::format::format_options;
using pexilon::format::format_text;
using pexilon::format::hex_case;

struct layout_case {
    const char *what;
    std::string before;
    std::string after;
    format_options options = {};
};

const format_options aligned{true, hex_case::upper};
const format_options lower_case{false, hex_case::lower};
const format_options kept_case{false, hex_case::keep};

std::string line_of(char c, std::size_t n) { return std::string(n, c); }

// clang-format off
const layout_case layout_cases[] = {
    {"a section whose pairs all use ':' keeps it",
     "[board parameter]\nVRCMD : 0x01,0x0a\nDELAY:5\n[board parameter][dev2]\nDELAY = 1\n",
     "[board parameter]\nVRCMD : 0x01, 0x0A\nDELAY : 5\n\n[board parameter][dev2]\nDELAY = 1\n"},
    {"so does a file whose pairs all use it, one to a section",
     "[camera parameter]\nSIZE:1,2\n[register parameter]\nREG :1\n",
     "[camera parameter]\nSIZE : 1, 2\n\n[register parameter]\nREG : 1\n"},
    {"a lone ':' among '=' becomes '='",
     "[camera parameter]\nSIZE:1,2\n[register parameter]\nREG=1\nDELAY=2\n",
     "[camera parameter]\nSIZE = 1, 2\n\n[register parameter]\nREG = 1\nDELAY = 2\n"},
    {"separators and commas", "[camera parameter]\nSIZE:640,480\nBIT_WIDTH=10\n",
     "[camera parameter]\nSIZE = 640, 480\nBIT_WIDTH = 10\n"},
    {"hexadecimal digits upper by default, prefix lower", "[camera parameter]\nI2C_ADDR = 0X1a\n",
     "[camera parameter]\nI2C_ADDR = 0x1A\n"},
    {"hexadecimal digits lower", "[camera parameter]\nI2C_ADDR = 0x1A\n",
     "[camera parameter]\nI2C_ADDR = 0x1a\n", lower_case},
    {"hexadecimal digits kept", "[camera parameter]\nI2C_ADDR = 0x1a , 0xB\n",
     "[camera parameter]\nI2C_ADDR = 0x1a , 0xB\n", kept_case},
    {"text values are the record's bytes", "[camera parameter]\nTYPE  =  a,b   0x1a\n",
     "[camera parameter]\nTYPE = a,b   0x1a\n"},
    {"control names too", "[control parameter]\nCTRL_NAME:0xab,1\n",
     "[control parameter]\nCTRL_NAME = 0xab,1\n"},
    {"values that are not plain numbers", "[register parameter]\nREG = 1 2\nDELAY = 5ms\nREG = 1,,2\n",
     "[register parameter]\nREG = 1 2\nDELAY = 5ms\nREG = 1,,2\n"},
    {"a comma at the end stays", "[register parameter]\nREG = 1,2,\n",
     "[register parameter]\nREG = 1, 2,\n"},
    {"signs", "[control parameter]\nMIN_VALUE = -64\nDEF=+0x1f\n",
     "[control parameter]\nMIN_VALUE = -64\nDEF=+0x1f\n"},
    {"an inline comment one blank after the value",
     "[camera parameter]\nSIZE = 1, 2      ; c  \nCFG_MODE = 1\t// d\n",
     "[camera parameter]\nSIZE = 1, 2 ; c\nCFG_MODE = 1 // d\n"},
    {"a value that begins like a comment stays glued", "[register parameter]\nREG =;x\nDELAY=//y\n",
     "[register parameter]\nREG =;x\nDELAY=//y\n"},
    {"an empty value before a comment", "[register parameter]\nREG=   ;c\nDELAY =\n",
     "[register parameter]\nREG=   ;c\nDELAY =\n"},
    {"a ';' glued inside a value is no comment", "[camera parameter]\nTYPE = a;b ; c\n",
     "[camera parameter]\nTYPE = a;b ; c\n"},
    {"an empty name", "[register parameter]\n=1\n  : 2\n", "[register parameter]\n=1\n  : 2\n"},
    {"continuation lines indented by four", "[register parameter]\nREG = 1,\n\t\t2,3\n  4\n",
     "[register parameter]\nREG = 1,\n    2, 3\n    4\n"},
    {"continuation lines under the value's first item stay under it, wherever it moves",
     "[register parameter]\nREG  =  0x0340,0x0c,\n        0x0342,0x31\n        0x0344, 0x01\n",
     "[register parameter]\nREG = 0x0340, 0x0C,\n      0x0342, 0x31\n      0x0344, 0x01\n"},
    {"so they do with --align",
     "[register parameter]\nREG = 1,\n      2\nDELAY = 3\n",
     "[register parameter]\nREG   = 1,\n        2\nDELAY = 3\n", aligned},
    {"continuation lines only partly under the value are indented by four",
     "[register parameter]\nREG = 1,\n      2,\n     3\n",
     "[register parameter]\nREG = 1,\n    2,\n    3\n"},
    {"a tab before the value is no column to stand under",
     "[register parameter]\nREG =\t1,\n      2\n",
     "[register parameter]\nREG = 1,\n    2\n"},
    {"a comment on a continuation line is value and stays",
     "[register parameter]\nREG = 1\n        2 ; two\n",
     "[register parameter]\nREG = 1\n        2 ; two\n"},
    {"an indented header after a pair draws -Wcontinuation and stays as written",
     "[control parameter]\nCTRL_NAME = a\n   [b]\n", "[control parameter]\nCTRL_NAME = a\n   [b]\n"},
    {"an indented REG below a REG is not dressed up as a continuation",
     "[register parameter]\nREG = 0x0103,0x01\n REG = 0x0163, 0x78\n",
     "[register parameter]\nREG = 0x0103, 0x01\n REG = 0x0163, 0x78\n"},
    {"a line that draws a warning keeps its spacing and case",
     "[register parameter]\n  DELAY=5ms   ; x  \nREG=0x1a,1\n",
     "[register parameter]\n  DELAY=5ms   ; x  \nREG = 0x1A, 1\n"},
    {"a section's hand-aligned = and comment columns stay",
     "[camera parameter]\nCFG_MODE  = 1   ; one\nSIZE      = 1,2 ; two\nBIT_WIDTH = 10\n",
     "[camera parameter]\nCFG_MODE  = 1    ; one\nSIZE      = 1, 2 ; two\nBIT_WIDTH = 10\n"},
    {"comments keep their shared column where the = do not share one",
     "[camera parameter]\nCFG_MODE  = 1   ; one\nSIZE     = 1, 2 ; two\n",
     "[camera parameter]\nCFG_MODE = 1    ; one\nSIZE = 1, 2     ; two\n"},
    {"headers, pairs and comments flush left", "  [camera parameter]\n   ; c\n  SIZE = 1, 2\n",
     "[camera parameter]\n; c\nSIZE = 1, 2\n"},
    {"blank lines: none first or last, one for a run",
     "\n\n[camera parameter]\n\n\n\nSIZE = 1, 2\n  \n\n",
     "[camera parameter]\n\nSIZE = 1, 2\n"},
    {"a blank line before each section and its comments",
     "; file\n[camera parameter]\nSIZE = 1, 2\n; registers\n; more\n[register parameter]\nREG = 1\n[board parameter]\n",
     "; file\n[camera parameter]\nSIZE = 1, 2\n\n; registers\n; more\n[register parameter]\nREG = 1\n\n[board parameter]\n"},
    {"header groups and blanks inside brackets are names",
     "[board parameter][dev2]  \n[ camera parameter ]\n",
     "[board parameter][dev2]\n[ camera parameter ]\n"},
    {"code blocks byte for byte",
     "[control parameter]\n======CODE_BLOCK_START======  \n  a  =  1,2  \n\n\n;x\n  ======code_block_end======\t\n",
     "[control parameter]\n======CODE_BLOCK_START======  \n  a  =  1,2  \n\n\n;x\n  ======code_block_end======\t\n"},
    {"line ends as the file has them",
     "; c\r\n[camera parameter]\r\nSIZE:1,2  \r\n[register parameter]\r\nREG=1",
     "; c\r\n[camera parameter]\r\nSIZE = 1, 2\r\n\r\n[register parameter]\r\nREG = 1"},
    {"a last line holding a CR keeps a line end when the blank lines above it go",
     "\n\n[camera parameter]\r\v x:1", "[camera parameter]\r\v x:1\n"},
    {"a file whose lines end in CR alone is left as it is, being one line to the reader",
     "\rIonfifig:\f\r", "\rIonfifig:\f\r"},
    {"so is one with sections", "[camera parameter]\rSIZE:1,2  \r", "[camera parameter]\rSIZE:1,2  \r"},
    {"a byte-order mark stays", "\xEF\xBB\xBF  [camera parameter]\nSIZE:1,2\n",
     "\xEF\xBB\xBF[camera parameter]\nSIZE = 1, 2\n"},
    {"a line read in pieces is left as it is",
     "[camera parameter]\n  ;" + line_of('x', 230) + "  \nSIZE:1,2\n",
     "[camera parameter]\n  ;" + line_of('x', 230) + "  \nSIZE = 1, 2\n"},
    {"a line of 199 bytes with its newline stays whole",
     "[register parameter]\nREG=" + line_of('1', 194) + "\n",
     "[register parameter]\nREG=" + line_of('1', 194) + "\n"},
    {"a line with a NUL byte is left as it is",
     std::string("[camera parameter]\nSIZE:1,2 \0 x\n", 31), std::string("[camera parameter]\nSIZE:1,2 \0 x\n", 31)},
    {"blank lines before a line that begins with a byte-order mark's bytes stay",
     "\n\n\xEF\xBB\xBFREG=1\n", "\n\n\xEF\xBB\xBFREG=1\n"},
    {"faulty lines stay, and no line before the last moves",
     "\n\n[camera parameter]\n\n\nSIZE:1,2\noops  \n\n\n[register parameter]\n\n\nREG=1\n\n",
     "\n\n[camera parameter]\n\n\nSIZE = 1, 2\noops  \n\n[register parameter]\n\nREG = 1\n"},
    {"an unterminated block keeps every line",
     "\n\n[control parameter]\nSTEP=1\n======CODE_BLOCK_START======\nx\n",
     "\n\n[control parameter]\nSTEP = 1\n======CODE_BLOCK_START======\nx\n"},
    {"aligned names and comments",
     "[camera parameter]\nSIZE = 1, 2 ; a\nBIT_WIDTH = 10 ; b\nCFG_MODE = 1\n[register parameter]\nREG=1\nDELAY=2\n",
     "[camera parameter]\nSIZE      = 1, 2 ; a\nBIT_WIDTH = 10   ; b\nCFG_MODE  = 1\n\n[register parameter]\nREG   = 1\nDELAY = 2\n",
     aligned},
    {"a pad that would pass 199 bytes is left out",
     "[register parameter]\nREG = 1\n" + line_of('N', 150) + " = " + line_of('2', 44) + "\nDELAY = 1\n",
     "[register parameter]\nREG   = 1\n" + line_of('N', 150) + " = " + line_of('2', 44) + "\nDELAY = 1\n",
     aligned},
    {"lined up, the author's columns do not count in whether a line fits",
     "[register parameter]\nREG" + line_of(' ', 157) + "= 1\nDELAY" + line_of(' ', 155) +
         "=1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\n",
     "[register parameter]\nREG   = 1\nDELAY = 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1\n",
     aligned},
    {"a one-line text of 199 bytes with a CR after a blank line stays as it is",
     "\n; a\r" + line_of('x', 195), "\n; a\r" + line_of('x', 195)},
    {"a second run lines up as the first did, whatever columns it finds",
     "[x]\nA=1,2,3,4,5,6,7 ;c\n= ;\n" + line_of('X', 89) + " =\n",
     "[x]\nA" + line_of(' ', 88) + " = 1, 2, 3, 4, 5, 6, 7 ;c\n=" + line_of(' ', 110) + " ;\n" +
         line_of('X', 89) + " =\n",
     aligned},
};
// clang-format on

TEST(FormatterLayout, EachRule)
{
    for (const layout_case &c : layout_cases) {
        SCOPED_TRACE(c.what);
        const pexilon::format::format_result result = format_text(c.before, c.options);
        ASSERT_TRUE(result.formatted) << result.reason;
        EXPECT_EQ(result.text, c.after);
        EXPECT_EQ(format_text(result.text, c.options).text, result.text) << "not idempotent";
    }
}

// The guarantee's own test: two texts that read differently are told apart,
// the first difference named.
TEST(FormatterGuarantee, NamesTheFirstDifference)
{
    struct pair_case {
        const char *before;
        const char *after;
        const char *reason;
    };
    // clang-format off
    const pair_case cases[] = {
        {"[camera parameter]\nSIZE = 1, 2\n", "[camera parameter]\nSIZE = 1, 3\n",
         "the record would change: the camera settings differs"},
        {"[register parameter]\nREG = 1\nREG = 2\n", "[register parameter]\nREG = 1\nREG = 3\n",
         "the record would change: params[1] differs"},
        {"[register parameter]\nREG = 1\n", "[register parameter]\nREG = 1\nREG = 1\n",
         "the record would change: the number of board and register entries (1 before, 2 after) differs"},
        {"[camera parameter]\noops\n", "[camera parameter]\n\noops\n",
         "the parse result would change from 2 (no \"=\" or \":\" between name and value before the end of the line or a comment) to 3 (no \"=\" or \":\" between name and value before the end of the line or a comment)"},
        {"[camera parameter]\noops\nbad\n", "[camera parameter]\noops\n\nbad\n",
         "the fault of line 3 (no \"=\" or \":\" between name and value before the end of the line or a comment) would not stay where it is"},
    };
    // clang-format on
    for (const pair_case &c : cases) {
        SCOPED_TRACE(c.before);
        const auto result = pexilon::format::compare_readings(
            pexilon::format::read_for_format(c.before), pexilon::format::read_for_format(c.after));
        EXPECT_FALSE(result.formatted);
        EXPECT_EQ(result.reason, c.reason);
    }
    const auto same = pexilon::format::compare_readings(
        pexilon::format::read_for_format("[camera parameter]\nSIZE=1,2\n"),
        pexilon::format::read_for_format("[camera parameter]\nSIZE = 1, 2\n"));
    EXPECT_TRUE(same.formatted);
}

// --- Every file at hand --------------------------------------------------------

std::string read_file(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct named_text {
    std::string name;
    std::string text;
};

std::vector<named_text> every_input()
{
    std::vector<named_text> inputs;
    namespace fs = std::filesystem;
    for (const char *dir : {PEXILON_FUZZ_CORPUS_DIR, PEXILON_TESTS_DIR, PEXILON_EXAMPLES_DIR})
        for (const auto &entry : fs::recursive_directory_iterator(dir))
            if (entry.is_regular_file() && (std::string_view(dir) == PEXILON_FUZZ_CORPUS_DIR ||
                                            entry.path().extension() == ".conf"))
                inputs.push_back({entry.path().string(), read_file(entry.path())});
    const std::string folder = testing::TempDir();
    for (const pexilon_bench::shape s : pexilon_bench::all_shapes) {
        const std::string path = folder + "/fmt_" + pexilon_bench::shape_name(s) + ".conf";
        pexilon_bench::generated_file info;
        if (pexilon_bench::generate_config(path, s, 3000, info))
            inputs.push_back({path, read_file(path)});
        std::filesystem::remove(path);
    }
    return inputs;
}

struct seen_diagnostic {
    std::string name;
    int severity;
    std::string message;
    bool operator==(const seen_diagnostic &) const = default;
};

void PrintTo(const seen_diagnostic &d, std::ostream *out) { *out << d.name << ": " << d.message; }

// What each diagnostic says, in lower case: a message quotes a number as it
// is written, and the layout may change the case of its digits.
std::vector<seen_diagnostic> diagnostics_of(const std::string &text)
{
    std::vector<seen_diagnostic> out;
    pexilon::check::check_text(text, [&](const pexilon::check::diagnostic &d) {
        std::string message(d.message.view());
        for (char &c : message)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        out.push_back({std::string(d.name()), d.severity, message});
        return true;
    });
    return out;
}

TEST(FormatterProperties, EveryFileKeepsItsRecordAndDiagnostics)
{
    const std::vector<named_text> inputs = every_input();
    ASSERT_GT(inputs.size(), 100u);
    for (const format_options &options : {format_options{}, aligned, lower_case}) {
        for (const named_text &input : inputs) {
            SCOPED_TRACE(input.name);
            const pexilon::format::format_result once = format_text(input.text, options);
            ASSERT_TRUE(once.formatted) << once.reason;
            // The record as the library's own parse fills it, not as the
            // formatter's guarantee compares it.
            pexilon_test::record before, after;
            const pexilon::config_report a =
                pexilon::parse_config_bytes(input.text.data(), input.text.size(), &before);
            const pexilon::config_report b =
                pexilon::parse_config_bytes(once.text.data(), once.text.size(), &after);
            EXPECT_EQ(a.outcome.line, b.outcome.line);
            EXPECT_EQ(a.outcome.kind, b.outcome.kind);
            EXPECT_FALSE(pexilon::first_mismatch(before, after));
            EXPECT_EQ(diagnostics_of(input.text), diagnostics_of(once.text));
            const pexilon::format::format_result twice = format_text(once.text, options);
            ASSERT_TRUE(twice.formatted) << twice.reason;
            EXPECT_EQ(twice.text, once.text);
            // Where each old line's text went: in order, from 0, one start a
            // line; a text kept as it is has none.
            const pexilon::format::format_result placed = format_text(input.text, options, true);
            EXPECT_EQ(placed.text, once.text);
            const std::vector<std::size_t> &starts = placed.line_starts;
            if (starts.empty())
                continue;
            EXPECT_EQ(starts.front(), 0u);
            EXPECT_TRUE(std::is_sorted(starts.begin(), starts.end()));
            EXPECT_LE(starts.back(), placed.text.size());
            EXPECT_EQ(starts.size(), static_cast<std::size_t>(
                                         std::count(input.text.begin(), input.text.end(), '\n')) +
                                         (input.text.empty() || input.text.back() == '\n' ? 0 : 1));
        }
    }
}

} // namespace
