// The checker against the library itself: its errors are the library's
// faulty lines, and the dialect's normal style draws no diagnostic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "check/checker.h"
#include "check/fixits.h"
#include "check/line_rules.h"
#include "check/recent_words.h"
#include "config/line_accounts.h"
#include "config/parse_config.h"
#include "config/record_changes.h"
#include "config/record_compare.h"
#include "config/record_fields.h"
#include "reader/line_map.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using pexilon::check::diagnostic;

struct found {
    std::string name;
    pexilon_check_severity severity;
    std::size_t line, column, end_column, reader_line;
    std::size_t display_column = 0, display_end_column = 0;
};

struct checked {
    pexilon::check::summary summary;
    std::vector<found> all;

    std::vector<found> errors() const
    {
        std::vector<found> out;
        for (const found &f : all)
            if (f.severity == PEXILON_CHECK_ERROR)
                out.push_back(f);
        return out;
    }
};

pexilon::check::diagnostic_callback collect(std::vector<found> &into)
{
    return [&into](const diagnostic &d) {
        into.push_back({std::string(d.name()), d.severity, d.where.line, d.where.column,
                        d.where.end_column, d.where.reader_line, d.where.display_column,
                        d.where.display_end_column});
        return true;
    };
}

checked check_text(std::string_view text)
{
    checked c;
    c.summary = pexilon::check::check_text(text, collect(c.all));
    return c;
}

std::string read_file(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<fs::path> every_input()
{
    std::vector<fs::path> paths;
    for (const char *dir : {PEXILON_FUZZ_CORPUS_DIR, PEXILON_TEST_DATA_DIR, PEXILON_CHECK_DATA_DIR})
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().extension() != ".text" &&
                entry.path().extension() != ".gcc" && entry.path().extension() != ".json" &&
                entry.path().extension() != ".sarif" && entry.path().extension() != ".fix" &&
                entry.path().extension() != ".py")
                paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

bool is_block_fault(const found &f)
{
    return f.name == "block-cut-off" || f.name == "block-unterminated";
}

// The library's result for `text`, read from memory.
int library_result(std::string_view text)
{
    pexilon_test::record config;
    return pexilon::parse_config_bytes(text.data(), text.size(), &config).outcome.line;
}

std::vector<found> by_line(std::vector<found> errors)
{
    std::stable_sort(errors.begin(), errors.end(),
                     [](const found &a, const found &b) { return a.reader_line < b.reader_line; });
    return errors;
}

std::size_t editor_line_length(const std::string &text, std::size_t line)
{
    std::size_t begin = 0;
    for (std::size_t n = 1; n < line; ++n)
        begin = text.find('\n', begin) + 1;
    const std::size_t end = text.find('\n', begin);
    return (end == std::string::npos ? text.size() : end) - begin;
}

// Replaces editor line `line` (1-based) of `text` with a comment.
std::string comment_out(std::string text, std::size_t line)
{
    std::size_t begin = 0;
    for (std::size_t n = 1; n < line; ++n)
        begin = text.find('\n', begin) + 1;
    const std::size_t end = text.find('\n', begin);
    return text.replace(begin, (end == std::string::npos ? text.size() : end) - begin, ";");
}

} // namespace

// Through the exported function and a file, as a host reads it.
TEST(CheckerAgrees, ParseResultOfEveryCorpusFile)
{
    const std::vector<fs::path> paths = every_input();
    ASSERT_GT(paths.size(), 50u);
    for (const fs::path &path : paths) {
        pexilon_test::record config;
        const int result = pexilon_parse_config(path.c_str(), &config);
        checked c;
        c.summary = pexilon::check::check_path(path.c_str(), collect(c.all));
        EXPECT_EQ(c.summary.parse_result, result) << path;
        const std::vector<found> errors = c.errors();
        EXPECT_EQ(c.summary.errors, errors.size()) << path;
        if (result == 0) {
            EXPECT_TRUE(errors.empty()) << path << ": " << errors.front().name;
            continue;
        }
        // The result is an error of the checker, at the line the library counts; it
        // is the first one unless a code block's fault stands over the others.
        const bool block = std::any_of(errors.begin(), errors.end(), is_block_fault);
        const auto at_result = std::find_if(errors.begin(), errors.end(), [&](const found &f) {
            return f.reader_line == static_cast<std::size_t>(result);
        });
        ASSERT_NE(at_result, errors.end()) << path << ": no error at line " << result;
        if (!block) {
            const auto first =
                std::min_element(errors.begin(), errors.end(), [](const found &a, const found &b) {
                    return a.reader_line < b.reader_line;
                });
            EXPECT_EQ(first->reader_line, static_cast<std::size_t>(result)) << path;
        }
    }
}

namespace {

// Holds each line's account against the record as the line left it: what an
// account says was stored is what the record holds. With the text's line
// map, also holds the checker to its word that a tidy value draws nothing
// from the rules it passes by.
class account_audit final : public pexilon::account_listener {
public:
    explicit account_audit(const parsed_config &record, const pexilon::line_map *map = nullptr)
        : record_(record), map_(map)
    {
    }

    std::vector<std::string> problems;
    std::size_t lines = 0;

    void account(const pexilon::line_account &line) noexcept override
    {
        ++lines;
        if (line.reader_line != lines)
            problems.push_back("account of line " + std::to_string(line.reader_line) +
                               " where line " + std::to_string(lines) + " was due");
        if (line.fate == pexilon::line_fate::stored)
            audit_key(line);
    }

private:
    void fail(const pexilon::line_account &line, const std::string &what)
    {
        problems.push_back("line " + std::to_string(line.reader_line) + " (" + line.key.key->name +
                           "): " + what);
    }

    // Each number's item lies in the value, in order, its text inside it.
    void audit_places(const pexilon::line_account &line)
    {
        std::size_t from = line.value.begin;
        for (const pexilon::number_account &n : line.key.numbers) {
            if (!(from <= n.item_begin && n.item_begin <= n.begin && n.begin <= n.end &&
                  n.end <= n.item_end && n.item_end <= line.value.end &&
                  n.begin + n.taken <= n.item_end))
                fail(line, "number at " + std::to_string(n.begin) + " lies outside its item " +
                               "or the value " + std::to_string(line.value.begin) + "-" +
                               std::to_string(line.value.end));
            from = n.item_end;
        }
    }

    void audit_key(const pexilon::line_account &line)
    {
        const pexilon::key_row &key = *line.key.key;
        const auto &numbers = line.key.numbers;
        audit_places(line);
        if (key.target == pexilon::key_target::entry) {
            const param_entry &entry = record_.params[line.key.index];
            audit_tidy(line);
            if (pexilon::key_of(entry.type) != key.code)
                fail(line, "the entry's key differs");
            if (entry.value_count != std::min<std::size_t>(numbers.size(), 16))
                fail(line, "value_count differs from the numbers accounted for");
            for (std::size_t i = 0; i < entry.value_count && i < numbers.size(); ++i)
                if (entry.values[i] != static_cast<std::uint32_t>(numbers[i].stored))
                    fail(line, "number " + std::to_string(i + 1) + " differs");
            return;
        }
        audit_tidy(line);
        const void *base = key.target == pexilon::key_target::camera
                               ? static_cast<const void *>(&record_.camera)
                               : static_cast<const void *>(&record_.controls[line.key.index]);
        const pexilon::record_member &member = *pexilon::member_of(key);
        if (key.form == pexilon::value_form::number &&
            pexilon::number_of(base, member) != numbers.front().stored)
            fail(line, "the field differs from the number accounted for");
        if (key.form == pexilon::value_form::pair && line.key.changed &&
            (pexilon::number_of(base, member) != numbers[0].stored ||
             pexilon::number_of(base, (&member)[1]) != numbers[1].stored))
            fail(line, "the pair differs from the numbers accounted for");
    }

    void audit_tidy(const pexilon::line_account &line)
    {
        if (map_ == nullptr)
            return;
        const std::string_view text = map_->piece_text(line.reader_line);
        // What the interpreter told of a list is what the items show.
        pexilon::line_account untold = line;
        untold.key.hex_whole = false;
        if (line.key.hex_whole && line.key.key->form == pexilon::value_form::list &&
            line.key.numbers.size() <= 16 && !pexilon::check::value_is_tidy(untold, text))
            fail(line, "told as hex numbers kept whole, and its items say otherwise");
        if (!pexilon::check::value_is_tidy(line, text))
            return;
        std::vector<pexilon::check::diagnostic> found = pexilon::check::check_value(line, text);
        pexilon::check::check_written_form(line, text, found);
        pexilon::check::check_continuation_comment(line, text, found);
        if (!found.empty())
            fail(line, "a tidy value draws " +
                           std::string(pexilon::check::kind_of(found.front().id).name));
        ++tidy;
    }

    const parsed_config &record_;
    const pexilon::line_map *map_;

public:
    std::size_t tidy = 0;
};

} // namespace

// Every line has one account, in order, and every stored value in it is what
// the record got; a parse with accounts fills the same record as one without.
// A value the checker passes by as tidy draws nothing from the rules it skips.
TEST(LineAccounts, AgreeWithTheRecordOnEveryCorpusFile)
{
    std::size_t tidy = 0;
    for (const fs::path &path : every_input()) {
        SCOPED_TRACE(path.string());
        const std::string text = read_file(path);
        pexilon_test::record plain;
        const pexilon::config_report want =
            pexilon::parse_config_bytes(text.data(), text.size(), &plain);
        pexilon_test::record accounted;
        const pexilon::line_map map(text);
        account_audit audit(accounted, &map);
        const pexilon::config_report got =
            pexilon::parse_config_accounted(text.data(), text.size(), &accounted, audit);
        EXPECT_EQ(got.outcome.line, want.outcome.line);
        EXPECT_EQ(got.outcome.kind, want.outcome.kind);
        EXPECT_EQ(got.reason, want.reason);
        EXPECT_FALSE(pexilon::first_mismatch(plain, accounted));
        EXPECT_EQ(audit.lines, map.reader_lines());
        for (const std::string &problem : audit.problems)
            ADD_FAILURE() << problem;
        tidy += audit.tidy;
    }
    EXPECT_GT(tidy, 300u); // the corpus has tidy values to hold to it
}

// All faulty lines, not only the first: once the first is commented out,
// the library reports the checker's next error, and the checker's other
// errors stay as they were.
TEST(CheckerAgrees, EveryFaultyLineInTurn)
{
    std::size_t followed = 0;
    for (const fs::path &path : every_input()) {
        std::string text = read_file(path);
        std::vector<found> errors = by_line(check_text(text).errors());
        if (std::any_of(errors.begin(), errors.end(), is_block_fault))
            continue; // a block's fault stands over the rest: covered above
        while (!errors.empty()) {
            const found first = errors.front();
            ASSERT_EQ(library_result(text), static_cast<int>(first.reader_line)) << path;
            ++followed;
            // A line without separator or an unclosed header changes nothing but
            // the result, so a comment in its place reads the same; a line of
            // one piece keeps the numbering.
            if ((first.name != "no-separator" && first.name != "unclosed-header") ||
                editor_line_length(text, first.line) > 199)
                break;
            text = comment_out(text, first.line);
            errors.erase(errors.begin());
            const std::vector<found> now = by_line(check_text(text).errors());
            ASSERT_EQ(now.size(), errors.size()) << path;
            for (std::size_t i = 0; i < now.size(); ++i)
                EXPECT_EQ(now[i].reader_line, errors[i].reader_line) << path;
        }
        if (errors.empty()) {
            EXPECT_EQ(library_result(text), 0) << path << " with every error commented out";
        }
    }
    EXPECT_GT(followed, 20u);
}

namespace {

// A stdio stream over `text` whose reads fail with EIO once `good_bytes`
// bytes have been handed out.
struct failing_source {
    std::string text;
    std::size_t good_bytes;
    std::size_t position = 0;

    static ssize_t read(void *cookie, char *buffer, std::size_t size)
    {
        auto *self = static_cast<failing_source *>(cookie);
        if (self->position >= self->good_bytes) {
            errno = EIO;
            return -1;
        }
        const std::size_t n =
            std::min({size, self->good_bytes - self->position, self->text.size() - self->position});
        std::memcpy(buffer, self->text.data() + self->position, n);
        self->position += n;
        return static_cast<ssize_t>(n);
    }
};

struct failing_case {
    const char *text;
    std::size_t good_bytes;
    int result;
    const char *last_error; // name of the error reported last, or ""
};

const failing_case failing_cases[] = {
    {"a = 1\n", 0, PARSE_OPEN_FAILED, ""},
    {"[camera parameter]\nSIZE = 1, 2\nSIZE = 1, 2\n", 37, 3, "read-error"},
    {"oops\na = 1\na = 1\n", 8, 1, "read-error"},
    {"[control parameter]\n======CODE_BLOCK_START======\nx\nx\nx\n", 51, 4, "read-error"},
};

// What the checker finds in `source` read as a stdio stream of unknown size.
checked check_source(failing_source &source)
{
    cookie_io_functions_t io{};
    io.read = &failing_source::read;
    std::FILE *stream = fopencookie(&source, "r", io);
    checked got;
    if (stream == nullptr) {
        ADD_FAILURE() << "fopencookie failed";
        return got;
    }
    got.summary = pexilon::check::check_stream(stream, collect(got.all));
    std::fclose(stream);
    return got;
}

} // namespace

TEST(CheckerAgrees, OnStreamsThatFail)
{
    for (const failing_case &c : failing_cases) {
        failing_source source{c.text, c.good_bytes};
        const checked got = check_source(source);
        EXPECT_EQ(got.summary.parse_result, c.result) << c.text;
        EXPECT_EQ(got.summary.os_error, EIO) << c.text;
        const std::vector<found> errors = got.errors();
        EXPECT_EQ(errors.empty() ? "" : errors.back().name, c.last_error) << c.text;
        const auto at_result = std::find_if(errors.begin(), errors.end(), [&](const found &f) {
            return f.reader_line == static_cast<std::size_t>(c.result);
        });
        EXPECT_EQ(at_result != errors.end(), c.result > 0) << c.text;
    }
}

// A file of megabytes is read into memory another way than a small one
// (into a block made for its size, its pages asked for at once), and a stream
// of unknown size into a block that grows: what is found in either, to its
// last line, is what is found in its text.
TEST(CheckerAgrees, OnLargeFilesAsOnTheirText)
{
    std::string text = "[register parameter]\n";
    for (int i = 0; text.size() < (std::size_t{3} << 20); ++i)
        text += i % 1000 == 999 ? "REG = 0x1, 010\n" : "REG = 0x" + std::to_string(i) + ", 2\n";
    text += "no separator\n";
    const pexilon_test::temp_file file(text);
    checked from_file;
    from_file.summary = pexilon::check::check_path(file.path(), collect(from_file.all));
    const checked from_text = check_text(text);
    EXPECT_EQ(from_file.summary.parse_result, from_text.summary.parse_result);
    EXPECT_GT(from_text.summary.parse_result, 0);
    EXPECT_GT(from_text.summary.warnings, 100u); // the leading zeros
    EXPECT_EQ(from_file.summary.warnings, from_text.summary.warnings);
    ASSERT_EQ(from_file.all.size(), from_text.all.size());
    EXPECT_EQ(from_file.all.back().line, from_text.all.back().line);
    EXPECT_EQ(from_file.all.back().name, "no-separator");

    failing_source source{text, text.size() + 1};
    const checked from_stream = check_source(source);
    EXPECT_EQ(source.position, text.size());
    EXPECT_EQ(from_stream.summary.parse_result, from_text.summary.parse_result);
    EXPECT_EQ(from_stream.summary.os_error, 0);
    EXPECT_EQ(from_stream.summary.warnings, from_text.summary.warnings);
    ASSERT_EQ(from_stream.all.size(), from_text.all.size());
    EXPECT_EQ(from_stream.all.back().line, from_text.all.back().line);
}

// What the dialect's own examples do on purpose draws nothing.
TEST(Checker, NoDiagnosticOnTheDialectsOwnStyle)
{
    const char *const texts[] = {
        // A list that ends in a comma, and indented numbers continuing REG.
        "[register parameter]\nREG = 0x0340, 0x0C, 0x1C,\n      0x0342, 0x31, 0xC4\n",
        "[register parameter]\nREG = 0x3014, 0x03\n\t0x3015, 0x00\n",
        // Colons, inline comments of every kind, a glued ";" inside a text.
        "[camera parameter]\nSIZE : 640, 480 ; VGA\nTYPE = a;b\nCFG_MODE = 1 // one\n",
        // The full signed range of the control numbers, and a negative minimum.
        "[control parameter]\nMIN_VALUE = -9223372036854775808\n"
        "MAX_VALUE = 0x7FFFFFFFFFFFFFFF\nSTEP = 1\nDEF = 0\nCTRL_NAME = Full\n",
        "[control parameter]\nMIN_VALUE = -64\nMAX_VALUE = 64\nSTEP = 2\nDEF = -64\n"
        "CTRL_NAME = Offset\n",
        // Lower-case markers, a block with comment-like and blank lines; a
        // header with a comment after it.
        "[control parameter] ; gain\nSTEP = 1\nCTRL_NAME = Gain\n======code_block_start======\n"
        "; x\n\n======Code_Block_End======\n",
        // Every board and register variant; numbers padded with zeros that
        // read the same in any base.
        "[board parameter][dev3][inf2]\nREG = 5\n[register parameter][dev3][inf3]\n"
        "REG = 0x0100, 007, 09\n",
        // The largest values that fit their fields; a byte-order mark; CR LF.
        "\xEF\xBB\xBF[camera parameter]\r\nBIT_WIDTH = 255\r\nI2C_ADDR = 0xFFFF\r\n"
        "CFG_MODE = 0xFFFFFFFF\r\nFORMAT = 0xFF, 0xFF\r\n",
        // A TYPE of 49 characters, a control name of 127.
        "[camera parameter]\nTYPE = 0123456789012345678901234567890123456789012345678\n",
        // A line of exactly 199 bytes is one line.
        "[camera parameter]\nTYPE = x                                                   "
        "                                                                                    "
        "                                                    ;\n",
    };
    for (const char *text : texts) {
        const checked c = check_text(text);
        EXPECT_EQ(c.all.size(), 0u) << text << "first: " << (c.all.empty() ? "" : c.all[0].name);
        EXPECT_EQ(c.summary.parse_result, 0) << text;
    }
}

namespace {

struct placed_case {
    std::string text;
    const char *name;
    std::size_t line, column, end_column, reader_line;
};

// Lines as editors count them, columns as bytes of the line.
const std::string long_comment = "; " + std::string(197, 'x') + "; more\n";
const std::string long_type = "TYPE = " + std::string(192, 'a') + "tail\n";

const placed_case placed_cases[] = {
    // A comment of over 199 bytes is two reader lines: later lines differ by one.
    {long_comment + "[camera parameter]\nCFG_MODE 1\n", "no-separator", 3, 1, 11, 4},
    // An error is where the reader's reading went wrong: the name with no
    // separator (to a comment), the "[" of a header, the first number not
    // kept.
    {"[camera parameter]\n  CFG_MODE 1 ; x\n", "no-separator", 2, 3, 13, 2},
    {"\xEF\xBB\xBF"
     "CFG_MODE 1\n",
     "no-separator", 1, 1, 11, 1},
    {"[camera parameter]\n [register parameter ; x\n", "unclosed-header", 2, 2, 21, 2},
    {"[register parameter]\nREG = 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17\n",
     "too-many-values", 2, 61, 67, 2},
    // The error of an over-long line's rest is on the editor's line, at the
    // column where the rest starts.
    {"[camera parameter]\n" + long_type, "no-separator", 2, 200, 204, 3},
    // After a byte-order mark, columns count from the first visible byte.
    {"\xEF\xBB\xBF[camera parameter]\nsize = 1, 2\n", "unknown-key", 2, 1, 5, 2},
    {"\xEF\xBB\xBFSIZE = 1, 2\n", "no-section", 1, 1, 5, 1},
    // A tab is one column; the value's number is underlined.
    {"[camera parameter]\n\tBIT_WIDTH =\t300\n", "number-range", 2, 14, 17, 2},
    // CR LF: the column range ends before the carriage return.
    {"[register parameter]\r\nDELAY = 5ms\r\n", "number-syntax", 2, 10, 12, 2},
    // A block cut off by a header: the error is at the header, to its "]".
    {"[control parameter]\n======CODE_BLOCK_START======\nx\n  [camera parameter] x\n",
     "block-cut-off", 4, 3, 21, 4},
    // An empty list item is read as 0.
    {"[register parameter]\nREG = 1, , 2\n", "number-syntax", 2, 9, 10, 2},
    // A number beyond 64 bits saturates.
    {"[control parameter]\nMAX_VALUE = 99999999999999999999\n", "number-range", 2, 13, 33, 2},
    // STEP keeps 32 bits.
    {"[control parameter]\nSTEP = 4294967297\n", "number-range", 2, 8, 18, 2},
    // A CTRL_NAME of 128 characters is cut to 127.
    {"[control parameter]\nCTRL_NAME = "
     "0123456789012345678901234567890123456789012345678901234567890123"
     "0123456789012345678901234567890123456789012345678901234567890123\n",
     "text-truncated", 2, 140, 141, 2},
    // FORMAT with one number leaves the low byte 0.
    {"[camera parameter]\nFORMAT = 1\n", "value-count", 2, 10, 11, 2},
    // Letter case matters for section names.
    {"[Camera Parameter]\nSIZE = 1, 2\n", "unknown-section", 1, 2, 18, 1},
};

} // namespace

TEST(Checker, PlacesDiagnosticsWhereEditorsShowThem)
{
    for (const placed_case &c : placed_cases) {
        const checked got = check_text(c.text);
        const auto named = std::find_if(got.all.begin(), got.all.end(),
                                        [&](const found &f) { return f.name == c.name; });
        ASSERT_NE(named, got.all.end()) << c.text;
        const found &f = *named;
        EXPECT_EQ(f.line, c.line) << c.text;
        EXPECT_EQ(f.column, c.column) << c.text;
        EXPECT_EQ(f.end_column, c.end_column) << c.text;
        EXPECT_EQ(f.reader_line, c.reader_line) << c.text;
    }
}

namespace {

std::string repeated(std::string_view text, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

struct character_case {
    std::string text;
    const char *name;
    std::size_t column, end_column;                 // bytes
    std::size_t display_column, display_end_column; // characters
};

const character_case character_cases[] = {
    // Two-byte characters before the cut: the caret moves left by one each.
    {"[camera parameter]\nTYPE = " + std::string(20, 'a') + repeated("\xC3\xA9", 20) + "\n",
     "text-truncated", 58, 68, 43, 48},
    {"[camera parameter]\nTYPE = \xC3\xA9\xC3\xA9" + std::string(50, 'x') + "\n", "text-truncated",
     58, 62, 56, 60},
    // The cut falls inside a three-byte character: the caret names it.
    {"[camera parameter]\nTYPE = " + std::string(49, 'x') + "\xE2\x80\x94yz\n", "text-truncated",
     58, 62, 57, 60},
    // A four-byte character, then a well-formed sequence cut short and a
    // lone continuation byte: one character each.
    {"[camera parameter]\nTYPE = \xF0\x9F\x93\xB7\xE2\x80x\x80" + std::string(47, 'x') + "\n",
     "text-truncated", 58, 63, 55, 60},
    // Overlong forms and surrogates are bytes, one character each.
    {"[camera parameter]\nTYPE = \xC0\xAF\xED\xA0\x80" + std::string(50, 'x') + "\n",
     "text-truncated", 58, 63, 58, 63},
    // A faulty line from the start of its name, to its end.
    {"[camera parameter]\nGr\xC3\xB6\xC3\x9F"
     "e 1\n",
     "no-separator", 1, 10, 1, 8},
    // After a byte-order mark, both count from the first visible byte.
    {"\xEF\xBB\xBF[camera parameter] \xC2\xAB x \xC2\xBB\n", "header-text", 20, 27, 20, 25},
};

} // namespace

TEST(Checker, CountsColumnsInCharactersWhereBytesDiffer)
{
    for (const character_case &c : character_cases) {
        const checked got = check_text(c.text);
        const auto named = std::find_if(got.all.begin(), got.all.end(),
                                        [&](const found &f) { return f.name == c.name; });
        ASSERT_NE(named, got.all.end()) << c.text;
        EXPECT_EQ(named->column, c.column) << c.text;
        EXPECT_EQ(named->end_column, c.end_column) << c.text;
        EXPECT_EQ(named->display_column, c.display_column) << c.text;
        EXPECT_EQ(named->display_end_column, c.display_end_column) << c.text;
    }
}

TEST(Checker, StopsWhenTheCallbackSaysSo)
{
    std::size_t calls = 0;
    const pexilon::check::summary s =
        pexilon::check::check_text("[camera parameter]\nA = 1\nB = 2\nC = 3\n",
                                   [&](const diagnostic &) { return ++calls < 2; });
    EXPECT_EQ(calls, 2u);
    EXPECT_EQ(s.warnings, 2u);
}

// Checks share nothing: several at once give what each gives alone.
TEST(Checker, ChecksInParallelAgree)
{
    std::vector<std::string> texts;
    for (const fs::path &path : every_input())
        texts.push_back(read_file(path));
    std::vector<std::size_t> alone;
    for (const std::string &text : texts)
        alone.push_back(check_text(text).all.size() * 1000 + check_text(text).errors().size());
    std::vector<std::vector<std::size_t>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] {
            for (const std::string &text : texts) {
                const checked c = check_text(text);
                seen[t].push_back(c.all.size() * 1000 + c.errors().size());
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    for (const std::vector<std::size_t> &each : seen)
        EXPECT_EQ(each, alone);
}

namespace {

struct shape_case {
    const char *text;
    const char *name; // the one diagnostic it draws, or "" for none
    std::size_t line;
    std::size_t column; // 1-based, where the caret stands
};

// The rules over a line as written, on the mistake and on the near misses
// that are fine: each row draws exactly one diagnostic, or none.
const shape_case shape_cases[] = {
    {"[board parameter]  // rails\nDELAY = 1\n", "", 0, 0},
    {"[board parameter]\t# rails\nDELAY = 1\n", "", 0, 0},
    {"[board parameter][dev2] x\nDELAY = 1\n", "header-text", 1, 25},
    {"[board parameter]\nREG = 1,\n      2\n", "", 0, 0},
    {"[board parameter]\nREG = 1,, 2\n", "empty-item", 2, 8},
    {"[board parameter]\nREG = ,1\n", "empty-item", 2, 7},
    {"[board parameter]\nREG = 1, 2,,\n", "empty-item", 2, 11},
    {"[board parameter]\nDELAY = 00, 07, 08, 0x010\n", "", 0, 0},
    {"[board parameter]\nDELAY = 1, 0017\n", "leading-zero", 2, 12},
    {"[camera parameter]\nTYPE = the \"IMX\" one\n", "", 0, 0},
    {"[camera parameter]\nTYPE = 'IMX'\n", "quoted-text", 2, 8},
    {"[camera parameter]\nTYPE =\n", "", 0, 0},
    {"[board parameter]\nVRCMD =\n", "empty-value", 2, 1},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n======CODE_BLOCK_START======  \nx\n"
     "======code_block_end======\t\n",
     "", 0, 0},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n======CODE_BLOCK_END======\n", "block-marker",
     4, 1},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n======CODE_BLOCK_START=====\n", "block-marker",
     4, 1},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n======CODE_BLOCK_START======\n"
     "  ======CODE_BLOCK_END=====\n======CODE_BLOCK_END======\n",
     "block-marker", 5, 3},
    // A line's first word is found eight bytes at a time: a marker after
    // more than eight blanks, a tab inside the eight bytes after a marker,
    // a byte above ASCII inside a misspelt one.
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n======CODE_BLOCK_START======\n"
     "         ======CODE_BLOCK_END====== // done\n======CODE_BLOCK_END======\n",
     "block-marker", 5, 36},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n======CODE_BLOCK_START======\n"
     "======CODE_BLOCK_END======\t// done\n======CODE_BLOCK_END======\n",
     "block-marker", 5, 27},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n======CODE_BLOCK_START======\n"
     "\t        ======CODE_BLOCK_\xC3\x89ND======\n======CODE_BLOCK_END======\n",
     "block-marker", 5, 10},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n[control parameter]\nSTEP = 1\nCTRL_NAME = B\n",
     "", 0, 0},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\n[control parameter]\nSTEP = 1\nCTRL_NAME = A\n",
     "duplicate-control", 6, 1},
    {"[control parameter]\nCTRL_NAME = A\nSTEP = 0\n", "control-range", 3, 1},
    {"[control parameter]\nCTRL_NAME = A\n", "control-incomplete", 1, 2},
    {"[camera parameter]\r\nSIZE = 640, 480\r\n", "", 0, 0},
    {"[camera parameter]\rSIZE = 640, 480\r", "line-ends", 1, 0},
    {"[control parameter]\nSTEP = 1\nCTRL_NAME = A\nMIN_VALUE = -0x10\n", "number-syntax", 4, 13},
    {"[board parameter]\nREG = 1,\n  2 ; two\n", "continuation", 3, 5},
    // Lists of eight-digit hex numbers, read eight digits at once, with one
    // flaw after numbers that are fine.
    {"[board parameter]\nREG = 0x0000302D, 0xE6B99E69, 0x00000001\n", "", 0, 0},
    {"[board parameter]\nREG = 0x0000302D, 0xE6B99E69, 0x0000302D, 010\n", "leading-zero", 2, 43},
    {"[board parameter]\nREG = 0x0000302D, 0xE6B99E69,, 0x00000001\n", "empty-item", 2, 29},
    {"[board parameter]\nREG = 0x0000302D, 0xE6B99E69G, 0x00000001\n", "number-syntax", 2, 29},
    {"[board parameter]\nREG = 0x0000302D, 0x1E6B99E69, 0x00000001\n", "number-range", 2, 19},
    {"[board parameter]\nREG = 1,\n    0x0000302D, 0xE6B99E69 ; two\n", "continuation", 3, 28},
    // Shorter hex numbers, read digit by digit up to fifteen; a longer run,
    // a letter after the digits or none at all are read the general way.
    {"[board parameter]\nREG = 0X1F , 0xab,0x2\n", "", 0, 0},
    {"[board parameter]\nREG = 0x1, 0x7FFFFFFFFFFFFFF, 2\n", "number-range", 2, 12},
    {"[board parameter]\nREG = 0x1, 0x10000000000000000, 2\n", "number-range", 2, 12},
    {"[board parameter]\nREG = 0x1, 0x1g, 2\n", "number-syntax", 2, 15},
    {"[board parameter]\nREG = 0x1, 0x, 2\n", "number-syntax", 2, 13},
    // One number, and a pair: passed by only when written as lists are.
    {"[control parameter]\nCTRL_NAME = A\nSTEP = 0x10\nDEF = 0\n", "", 0, 0},
    {"[control parameter]\nCTRL_NAME = A\nSTEP = 010\n", "leading-zero", 3, 8},
    {"[control parameter]\nCTRL_NAME = A\nSTEP = 1 2\n", "number-syntax", 3, 8},
    {"[camera parameter]\nSIZE = 640 , 0x1E0\n", "", 0, 0},
    {"[camera parameter]\nSIZE = 640, 0470\n", "leading-zero", 2, 13},
};

} // namespace

TEST(Checker, RulesOverTheWrittenForm)
{
    for (const shape_case &c : shape_cases) {
        const checked got = check_text(c.text);
        const std::string first = got.all.empty() ? "none" : std::string(got.all.front().name);
        if (c.name[0] == '\0') {
            EXPECT_TRUE(got.all.empty()) << c.text << "first: " << first;
            continue;
        }
        if (got.all.size() != 1u) {
            ADD_FAILURE() << c.text << got.all.size() << " diagnostics, first: " << first;
            continue;
        }
        EXPECT_EQ(got.all[0].name, c.name) << c.text;
        EXPECT_EQ(got.all[0].line, c.line) << c.text;
        EXPECT_EQ(got.all[0].column, c.column) << c.text;
    }
}

// Among hundreds of controls (the table of their names grows several times
// over), each repeated name is found, and points at the first control of
// that name; names that only begin alike ("C7", "C70") are told apart.
TEST(Checker, DuplicateControlsAmongMany)
{
    std::string text;
    std::vector<std::size_t> name_line; // the CTRL_NAME line of each control
    const auto add_control = [&](const std::string &name) {
        text += "[control parameter]\nSTEP = 1\nCTRL_NAME = " + name + "\n";
        name_line.push_back(name_line.size() * 3 + 3);
    };
    for (int i = 0; i < 300; ++i)
        add_control("C" + std::to_string(i));
    add_control("C7");                                    // 300
    add_control("C29");                                   // 301
    add_control("C2999");                                 // 302: new
    add_control("C7");                                    // 303
    std::vector<std::pair<std::size_t, std::size_t>> got; // line, the note's line
    const pexilon::check::summary s = pexilon::check::check_text(text, [&](const diagnostic &d) {
        EXPECT_EQ(d.name(), "duplicate-control") << d.where.line;
        got.emplace_back(d.where.line, d.notes.empty() ? 0 : d.notes[0].where.line);
        return true;
    });
    EXPECT_EQ(s.warnings, 3u);
    const std::vector<std::pair<std::size_t, std::size_t>> want{
        {name_line[300], name_line[7]},
        {name_line[301], name_line[29]},
        {name_line[303], name_line[7]},
    };
    EXPECT_EQ(got, want);
}

namespace {

// Text as the manual page writes it: backslashes and hyphens escaped.
std::string as_roff(std::string_view text)
{
    std::string out;
    for (const char c : text)
        out += c == '\\' ? std::string("\\e") : c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

} // namespace

// The manual page's WARNINGS section names every diagnostic with the words
// and the example of the one table, so neither falls behind the other.
TEST(Checker, ManualPageListsEveryDiagnostic)
{
    const std::string page =
        read_file(fs::path(PEXILON_TEST_DATA_DIR) / "../../doc/pexilon-config.1");
    const std::size_t section = page.find("\n.SH WARNINGS\n");
    ASSERT_NE(section, std::string::npos);
    const std::string_view warnings =
        std::string_view(page).substr(section, page.find("\n.SH ", section + 1) - section);
    for (const pexilon::check::diagnostic_kind &kind : pexilon::check::diagnostic_kinds()) {
        std::string about(kind.about);
        about[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(about[0])));
        const std::string entry = ".B " + as_roff(kind.name) + "\n" + as_roff(about) + ".";
        EXPECT_NE(warnings.find(entry), std::string_view::npos) << kind.name;
        if (!kind.example.empty()) {
            EXPECT_NE(warnings.find(".EX\n" + as_roff(kind.example) + "\n.EE"),
                      std::string_view::npos)
                << kind.name;
        }
    }
}

// A diagnostic's edits are made together or not at all, and no edit twice:
// what `check --fix` and the language server's fix-all rely on when two
// fix-its reach the same bytes.
TEST(Checker, MakesEachFixWholeOrNotAtAll)
{
    using pexilon::check::fix_group;
    using pexilon::check::fix_it;
    const std::string text = "WIDTH = 1920\nHEIGHT = 1080\nREG = 1 2\n";
    // Bytes `column` up to `end` of editor line `line` become `with`.
    const auto edit = [](std::size_t line, std::size_t column, std::size_t end, const char *with) {
        fix_it f;
        f.where.line = line;
        f.where.column = column;
        f.where.end_column = end;
        f.replacement = with;
        return f;
    };
    const fix_it size = edit(1, 1, 13, "SIZE = 1920, 1080");
    const fix_it emptied = edit(2, 1, 14, "");
    const fix_it renamed = edit(2, 1, 7, "HIGHT");
    const fix_it comma = edit(3, 8, 8, ",");
    const fix_it outside = edit(9, 1, 1, "x");
    const struct {
        const char *about;
        std::vector<fix_group> groups;
        const char *expected;
        std::size_t made;
    } rows[] = {
        {"two lines at once", {{size, emptied}}, "SIZE = 1920, 1080\n\nREG = 1 2\n", 1},
        {"edits out of order", {{emptied, size}}, "SIZE = 1920, 1080\n\nREG = 1 2\n", 1},
        {"a later group on a taken line",
         {{size, emptied}, {renamed}},
         "SIZE = 1920, 1080\n\nREG = 1 2\n",
         1},
        {"taken by their first edits, not as listed",
         {{renamed}, {size, emptied}},
         "SIZE = 1920, 1080\n\nREG = 1 2\n",
         1},
        {"a group with a taken line: none of it",
         {{renamed}, {comma, emptied}},
         "WIDTH = 1920\nHIGHT = 1080\nREG = 1 2\n",
         1},
        {"the same insertion twice",
         {{comma}, {comma}},
         "WIDTH = 1920\nHEIGHT = 1080\nREG = 1, 2\n",
         1},
        {"an edit past the text: none of its group",
         {{size, outside}, {comma}},
         "WIDTH = 1920\nHEIGHT = 1080\nREG = 1, 2\n",
         1},
        {"a group that clashes with itself", {{emptied, renamed}}, text.c_str(), 0},
        {"nothing", {}, text.c_str(), 0},
    };
    for (const auto &row : rows) {
        std::size_t made = 99;
        EXPECT_EQ(pexilon::check::apply_fixes(text, row.groups, &made), row.expected) << row.about;
        EXPECT_EQ(made, row.made) << row.about;
    }
}

// The record two texts give, compared field by field against what an edit
// announces: only what is announced may differ, and where it stands.
TEST(RecordChanges, OnlyWhatIsAnnouncedDiffers)
{
    using pexilon::entry_change;
    using pexilon::record_change;
    const std::string cam = "[camera parameter]\n";
    const std::string regs = "[register parameter]\n";
    const std::string ctl = "[control parameter]\nCTRL_NAME = A\n";
    const std::uint32_t reg = 0x03000000; // section_code(register)
    const std::uint32_t width = 1u << 2, height = 1u << 3, bit_width = 1u << 4;
    const std::uint32_t step = 1u << 2;          // of control_members
    const std::uint32_t reg_key = reg | 0x0001u; // REG
    struct row {
        const char *about;
        std::string before, after;
        std::vector<record_change> changes;
        std::string unannounced; // "" when the record differs only as announced
    };
    const std::vector<row> rows = {
        {"the same, none announced", cam + "SIZE = 1, 2\n", cam + "SIZE = 1, 2\n", {}, ""},
        {"a field, none announced",
         cam + "BIT_WIDTH = 8\n",
         cam + "BIT_WIDTH = 9\n",
         {},
         "camera.bit_width"},
        {"the field announced",
         cam + "BIT_WIDTH = 8\n",
         cam + "BIT_WIDTH = 9\n",
         {{bit_width}},
         ""},
        {"another field than announced",
         cam + "SIZE = 1, 2\n",
         cam + "SIZE = 1, 3\n",
         {{width}},
         "camera.height"},
        {"both halves", cam + "SIZE = 1, 2\n", cam + "SIZE = 3, 4\n", {{width | height}}, ""},
        {"an entry more where announced",
         regs + "REG = 1, 2\nREG = 5, 6\n",
         regs + "REG = 1, 2\nREG = 3, 4\nREG = 5, 6\n",
         {{0, 0, false, entry_change::added, reg_key, 1}},
         ""},
        {"an entry more, none announced",
         regs + "REG = 1, 2\n",
         regs + "REG = 1, 2\nREG = 3, 4\n",
         {},
         "params[1], an entry more"},
        {"an entry more of another key",
         regs + "REG = 1, 2\n",
         regs + "REG = 1, 2\nDELAY = 4\n",
         {{0, 0, false, entry_change::added, reg_key, 1}},
         "params[1], an entry more"},
        {"an entry's values where announced",
         regs + "REG = 1, 2\nREG = 3\n",
         regs + "REG = 1, 2\nREG = 3, 4\n",
         {{0, 0, false, entry_change::values, 0, 1}},
         ""},
        {"another entry's values",
         regs + "REG = 1, 2\nREG = 3\n",
         regs + "REG = 1, 7\nREG = 3\n",
         {{0, 0, false, entry_change::values, 0, 1}},
         "params[0].values"},
        {"a section's entries",
         regs + "REG = 1, 2\n",
         regs + "REG = 1, 2\n" + regs + "REG = 3, 4\nDELAY = 5\n",
         {{0, 0, false, entry_change::section, reg, 1}},
         ""},
        {"a control's field", ctl + "STEP = 1\n", ctl + "STEP = 2\n", {{0, step}}, ""},
        {"a control's code, not announced",
         ctl + "STEP = 1\n",
         ctl + "STEP = 1\n======CODE_BLOCK_START======\nx\n======CODE_BLOCK_END======\n",
         {{0, step}},
         "controls[0].code"},
        {"a control's code announced",
         ctl + "STEP = 1\n",
         ctl + "STEP = 1\n======CODE_BLOCK_START======\nx\n======CODE_BLOCK_END======\n",
         {{0, pexilon::control_code_bit}},
         ""},
        {"a control more where announced",
         ctl,
         "[control parameter]\nCTRL_NAME = B\n" + ctl,
         {{0, 0, true, entry_change::none, 0, 0, 0}},
         ""},
        {"a control more, another one's field",
         ctl + "STEP = 1\n",
         "[control parameter]\nCTRL_NAME = B\n" + ctl + "STEP = 2\n",
         {{0, 0, true, entry_change::none, 0, 0, 0}},
         "controls[0].step"},
    };
    for (const row &r : rows) {
        parsed_config a{}, b{};
        pexilon::parse_config_bytes(r.before.data(), r.before.size(), &a);
        pexilon::parse_config_bytes(r.after.data(), r.after.size(), &b);
        EXPECT_EQ(pexilon::unannounced_change(a, b, r.changes), r.unannounced) << r.about;
        pexilon::release_record(a);
        pexilon::release_record(b);
    }
}

// A run of one mistake holds its words once, and what it shares outlives
// the run: the copies below are all that is left of it.
TEST(CheckerMemory, RepeatedWordsShareOneBlock)
{
    std::vector<diagnostic> kept;
    pexilon::check::check_text("[camera parameter]\nWIDHT = 1\nWIDHT = 2\nWIDTT = 3\n",
                               [&](const diagnostic &d) {
                                   kept.push_back(d);
                                   return true;
                               });
    ASSERT_EQ(kept.size(), 3U);
    EXPECT_TRUE(kept[0].message.shares(kept[1].message));
    EXPECT_TRUE(kept[0].hint.shares(kept[1].hint));
    EXPECT_FALSE(kept[0].message.shares(kept[2].message));
    EXPECT_EQ(kept[2].message.view(),
              "unknown key 'WIDTT' in [camera parameter]: the line is ignored");
}

// Two texts of one slot are never taken for each other.
TEST(CheckerMemory, WordsOfOneSlotStayApart)
{
    pexilon::check::recent_words recent;
    const auto slot = [](const std::string &words) {
        return std::hash<std::string_view>{}(words) % pexilon::check::recent_words::slot_count;
    };
    std::string other = "b0";
    for (int i = 1; slot(other) != slot("a"); ++i)
        other = "b" + std::to_string(i);
    pexilon::check::shared_text first("a"), second(other), again("a");
    recent.share(first);
    recent.share(second);
    recent.share(again);
    EXPECT_EQ(second.view(), other);
    EXPECT_EQ(again.view(), "a");
    EXPECT_FALSE(again.shares(first)); // the slot holds `other` now
}

// A copy of a diagnostic is a diagnostic of its own: what is done to its
// words, notes or fix-its is not done to the one it was copied from.
TEST(CheckerMemory, CopiesAreOwnDiagnostics)
{
    diagnostic first(pexilon::check::diag_id::unknown_key, "words", "a hint");
    first.fixes.push_back({{}, "WIDTH", "the line is read as WIDTH"});
    diagnostic copy = first;
    copy.message += " and more";
    copy.fixes[0].replacement = "HEIGHT";
    copy.notes.push_back({{}, "a note"});
    EXPECT_EQ(first.message.view(), "words");
    EXPECT_EQ(copy.message.view(), "words and more");
    EXPECT_EQ(first.fixes[0].replacement, "WIDTH");
    EXPECT_TRUE(first.notes.empty());
    EXPECT_EQ(copy.name(), "unknown-key");
    EXPECT_STREQ(diagnostic().hint.c_str(), "");
}

// Indented lines under a camera key with too few numbers: the count's
// warning says once that they do not add to it, whatever their number.
TEST(CheckerMemory, ContinuationsOfACameraKeyAreToldOnce)
{
    for (const int continuations : {1, 2, 50}) {
        std::string text = "[camera parameter]\nSIZE = 1\n";
        for (int i = 0; i < continuations; ++i)
            text += "  1\n";
        std::vector<std::string> messages;
        pexilon::check::check_text(text, [&](const diagnostic &d) {
            if (d.id == pexilon::check::diag_id::value_count)
                messages.emplace_back(d.message.view());
            return true;
        });
        ASSERT_EQ(messages.size(), 1U) << continuations;
        const std::string &m = messages.front();
        EXPECT_EQ(m.find("camera keys take no continuation lines"),
                  m.rfind("camera keys take no continuation lines"))
            << m;
        EXPECT_NE(m.find(continuations == 1 ? "indented line below" : "indented lines below"),
                  std::string::npos)
            << m;
    }
}
