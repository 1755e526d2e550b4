// Lines put in and taken out: where an inserted entry goes and what it
// becomes, what a removal takes, and over every file the project keeps, that
// inserting an entry and removing it again gives the file back byte for byte.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/vocabulary.h"
#include "document/document.h"
#include "edit/line_edits.h"

namespace {

namespace fs = std::filesystem;
using pexilon::document;

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string sample = contents(fs::path(PEXILON_EXAMPLES_DIR) / "sample.conf");

TEST(EditLines, InsertedEntryTakesItsPlaceAndSection)
{
    auto outcome = pexilon::edit::insert_entry_after(document(sample), 3, "REG=0x12,0x0102,0x01");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    const document after(outcome.text);
    const param_entry &entry = after.record().params[4];
    EXPECT_EQ(entry.type, after.record().params[3].type);
    EXPECT_EQ(entry.value_count, 3u);
    EXPECT_EQ(entry.values[1], 0x0102u);
    EXPECT_NE(outcome.text.find("REG   = 0x12, 0x0101, 0x00\nREG = 0x12, 0x0102, 0x01\n"),
              std::string::npos);
    // After a continued list, past its continuation lines.
    outcome = pexilon::edit::insert_entry_after(document(sample), 13, "DELAY=1");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_NE(outcome.text.find("0x0342, 0x31, 0xC4\nDELAY = 1\n"), std::string::npos);
    EXPECT_EQ(document(outcome.text).record().params[15].values[0], 1u);
}

TEST(EditLines, InsertInASectionCreatesItWhenMissing)
{
    const std::string text = "[camera parameter]\r\nSIZE = 1, 2\r\n";
    auto outcome =
        pexilon::edit::insert_entry_in(document(text), "[board parameter][dev2]", "VRCMD=3");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_EQ(outcome.text, text + "\r\n[board parameter][dev2]\r\nVRCMD = 3\r\n");
    EXPECT_EQ(document(outcome.text).record().params[0].type,
              pexilon::section_code(PEXILON_KIND_BOARD, 0x02) | PEXILON_KEY_VRCMD);
    outcome = pexilon::edit::insert_entry_in(document(sample), "register parameter||dev3||inf2",
                                             "REG=0x0115,0x01");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_NE(outcome.text.find("REG = 0x0808, 0x02\nREG = 0x0115, 0x01\n"), std::string::npos);
}

struct refusal_row {
    const char *section; // null: insert after entry 0
    const char *entry;
    const char *reason;
};

TEST(EditLines, InsertRefusesWithTheReason)
{
    const refusal_row rows[] = {
        {nullptr, "MAX_VALUE=1", "KEY one of REG"},
        {nullptr, "REG", "KEY=NUMBERS"},
        {nullptr, "REG=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", "at most 16"},
        {nullptr, "REG=0x100000000", "not an entry's number"},
        {"camera parameter", "REG=1", "not a board or register section"},
        {"board parameter||dev9", "REG=1", "not a board or register section"},
    };
    for (const refusal_row &row : rows) {
        SCOPED_TRACE(row.entry);
        const document doc(sample);
        const auto outcome = row.section == nullptr
                                 ? pexilon::edit::insert_entry_after(doc, 0, row.entry)
                                 : pexilon::edit::insert_entry_in(doc, row.section, row.entry);
        EXPECT_FALSE(outcome.done);
        EXPECT_NE(outcome.reason.find(row.reason), std::string::npos) << outcome.reason;
    }
    EXPECT_FALSE(pexilon::edit::remove_entry(document(sample), 20).done);
    EXPECT_FALSE(pexilon::edit::remove_control(document(sample), 3).done);
    EXPECT_FALSE(pexilon::edit::add_control(document(sample), std::string(128, 'z')).done);
}

TEST(EditLines, RemovalsTakeTheirLinesAlone)
{
    auto outcome = pexilon::edit::remove_control(document(sample), 1);
    ASSERT_TRUE(outcome.done) << outcome.reason;
    const document after(outcome.text);
    ASSERT_EQ(after.record().control_count, 2u);
    EXPECT_STREQ(after.record().controls[1].ctrl_name, "Black level offset");
    EXPECT_EQ(outcome.text.find("Analogue"), std::string::npos);
    EXPECT_EQ(sample.size() - outcome.text.size(),
              sample.find("[control parameter]\nMIN_VALUE = -64") -
                  sample.find("[control parameter]\nMIN_VALUE = 0") - 1);
    outcome = pexilon::edit::add_control(document(""), "Zoom");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_EQ(outcome.text, "[control parameter]\nCTRL_NAME = Zoom\n");
}

std::vector<std::pair<std::string, std::string>> every_file()
{
    std::vector<std::pair<std::string, std::string>> files;
    const fs::path tests = fs::path(PEXILON_TEST_DATA_DIR).parent_path();
    for (const fs::path &dir : {tests / "data", tests / "check", fs::path(PEXILON_FUZZ_CORPUS_DIR)})
        for (const auto &entry : fs::recursive_directory_iterator(dir))
            if (entry.is_regular_file() &&
                (dir == PEXILON_FUZZ_CORPUS_DIR || entry.path().extension() == ".conf"))
                files.emplace_back(entry.path().string(), contents(entry.path()));
    return files;
}

TEST(EditLines, InsertThenRemoveGivesTheFileBack)
{
    std::size_t tried = 0;
    for (const auto &[name, text] : every_file()) {
        SCOPED_TRACE(name);
        const document doc(text);
        for (std::size_t i = 0; i < doc.record().param_count && i < 6; ++i) {
            const auto inserted = pexilon::edit::insert_entry_after(doc, i, "DELAY=0x10");
            if (!inserted.done || !text.ends_with('\n'))
                continue;
            const document middle(inserted.text);
            for (std::size_t at = 0; at < middle.record().param_count; ++at) {
                const param_entry &entry = middle.record().params[at];
                if (at > i && entry.value_count == 1 && entry.values[0] == 0x10 &&
                    pexilon::key_of(entry.type) == PEXILON_KEY_DELAY) {
                    const auto removed = pexilon::edit::remove_entry(middle, at);
                    ASSERT_TRUE(removed.done) << removed.reason;
                    EXPECT_EQ(removed.text, text);
                    ++tried;
                    break;
                }
            }
        }
    }
    EXPECT_GT(tried, 50u);
}

} // namespace
