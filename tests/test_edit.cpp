// Edits of a file on its document: what a set changes, byte for byte, on
// the sample file, what it refuses and why; and over every file the project
// keeps, that setting a value changes the record in that value alone, only
// within that value's bytes, and adds no warning.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "check/checker.h"
#include "config/record_fields.h"
#include "document/document.h"
#include "edit/path_value.h"
#include "edit/set_value.h"

namespace {

namespace fs = std::filesystem;
using pexilon::document;
using pexilon::edit::set_value;

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string sample = contents(fs::path(PEXILON_EXAMPLES_DIR) / "sample.conf");

// The one line that differs between two texts of the same line count, as
// "old" -> "new"; "" when they are equal.
std::pair<std::string, std::string> changed_line(const std::string &a, const std::string &b)
{
    std::size_t begin = 0;
    while (begin < a.size() && begin < b.size() && a[begin] == b[begin])
        ++begin;
    if (begin == a.size() && begin == b.size())
        return {};
    begin = a.rfind('\n', begin == 0 ? 0 : begin - 1);
    begin = begin == std::string::npos ? 0 : begin + 1;
    const auto line = [begin](const std::string &t) {
        return t.substr(begin, t.find('\n', begin) - begin);
    };
    return {line(a), line(b)};
}

struct set_row {
    const char *path;
    const char *value;
    const char *old_line; // "" with new_line "" for no change
    const char *new_line;
};

TEST(Edit, SetChangesTheValueAlone)
{
    const set_row rows[] = {
        {"camera.width", "1920", "SIZE      = 4056, 3040", "SIZE      = 1920, 3040"},
        {"camera.height", "1080", "SIZE      = 4056, 3040", "SIZE      = 4056, 1080"},
        {"camera.i2c_addr", "0x36", "I2C_ADDR  = 0x1A", "I2C_ADDR  = 0x36"},
        {"camera.i2c_addr", "16", "I2C_ADDR  = 0x1A", "I2C_ADDR  = 0x10"},
        {"camera.i2c_addr", "0x1A", "", ""},
        {"camera.i2c_addr", "26", "", ""},
        {"camera.bit_width", "12", "BIT_WIDTH = 10", "BIT_WIDTH = 12"},
        {"camera.format", "0x0230",
         "FORMAT    = 1, 0x2C                     ; Bayer RGGB, RAW10 data type",
         "FORMAT    = 2, 0x30                     ; Bayer RGGB, RAW10 data type"},
        {"camera.type", "OV5647", "TYPE      = IMX477 12.3MP RAW10 4-lane  ; sensor and lane count",
         "TYPE      = OV5647  ; sensor and lane count"},
        {"controls[Exposure].max_value", "4000", "MAX_VALUE = 3100", "MAX_VALUE = 4000"},
        {"controls[2].min_value", "-100", "MIN_VALUE = -64", "MIN_VALUE = -100"},
        {"controls[1].ctrl_name", "Gain", "CTRL_NAME = Analogue gain", "CTRL_NAME = Gain"},
        {"entries[2].values", "0x12, 0x0100, 0xAB", "REG   = 0x12, 0x0100, 0x01",
         "REG   = 0x12, 0x0100, 0xAB"},
        {"entries[8].values", "0x20, 0x3004, 5", "REG   = 0x20, 0x3004, 0x0003",
         "REG   = 0x20, 0x3004, 0x0005"},
        {"entries[1].values", "10, 20", "DELAY = 10", "DELAY = 10, 20"},
        {"entries[13].values", "0x0340, 0x0c", "REG = 0x0340, 0x0C, 0x1C,", "REG = 0x0340, 0x0C,"},
    };
    for (const set_row &row : rows) {
        SCOPED_TRACE(std::string(row.path) + "=" + row.value);
        const auto outcome = set_value(document(sample), row.path, row.value);
        ASSERT_TRUE(outcome.done) << outcome.reason;
        EXPECT_EQ(changed_line(sample, outcome.text),
                  std::make_pair(std::string(row.old_line), std::string(row.new_line)));
    }
}

struct refusal_row {
    const char *path;
    std::string value;
    const char *reason; // a part of the message
};

TEST(Edit, SetRefusesWithTheReason)
{
    const refusal_row rows[] = {
        {"camera.bit_width", "300", "bit_width holds 0 to 255"},
        {"camera.width", "-1", "width holds 0 to 4294967295"},
        {"camera.i2c_addr", "0x10000", "holds 0 to 65535"},
        {"camera.width", "12x", "not a number"},
        {"camera.type", std::string(51, 'a'), "at most 50 bytes"},
        {"controls[0].ctrl_name", std::string(128, 'n'), "at most 127 bytes"},
        {"controls[0].func_name", "a\nb", "line end"},
        // Found by fuzz_edit: the record's text would end at the NUL.
        {"camera.type", std::string("[regist\0\0\0", 10), "NUL byte"},
        {"controls[0].code", std::string("a\0b\n", 4), "NUL byte"},
        {"controls[0].reserved", "1", "no key of a file sets reserved"},
        {"controls[3].step", "1", "there is no index 3"},
        {"controls[Zoom].step", "1", "no control is named 'Zoom'"},
        {"camera.depth", "1", "no field is named 'depth'"},
        {"entries[99].values", "1", "no index 99"},
        {"entries[0].values", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", "at most 16 numbers"},
        {"entries[0].values", "-1", "not an entry's number"},
        {"entries[0].key", "REG", "move the line"},
        {"sensor.width", "1", "a path starts with"},
        {"controls[0].code", "x\n[camera parameter]\n", "section header"},
        {"controls[0].code", "======code_block_end======", "block marker"},
        {"entries[0].values",
         std::string(60, '1') + "," + std::string(60, '2') + "," + std::string(60, '3') + ",1",
         "not an entry's number"},
        {"camera.type", std::string(50, 't') + "; long comment", "at most 50 bytes"},
        {"controls[0].func_name", " padded", "read back otherwise"},
    };
    for (const refusal_row &row : rows) {
        SCOPED_TRACE(std::string(row.path) + "=" + row.value);
        const auto outcome = set_value(document(sample), row.path, row.value);
        EXPECT_FALSE(outcome.done);
        EXPECT_NE(outcome.reason.find(row.reason), std::string::npos) << outcome.reason;
    }
}

TEST(Edit, SetKeepsLineEndsMarkAndAddsMissingKeys)
{
    const std::string crlf = "\xEF\xBB\xBF[camera parameter]\r\nSIZE = 640, 480\r\n";
    auto outcome = set_value(document(crlf), "camera.height", "0x1E0");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_EQ(outcome.text, "\xEF\xBB\xBF[camera parameter]\r\nSIZE = 640, 480\r\n");
    outcome = set_value(document(crlf), "camera.bit_width", "8");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_EQ(outcome.text, crlf + "BIT_WIDTH = 8\r\n");
    outcome = set_value(document("[board parameter]\nREG = 1"), "camera.type", "X");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_EQ(outcome.text, "[board parameter]\nREG = 1\n\n[camera parameter]\nTYPE = X\n");
    outcome = set_value(document(sample), "controls[Exposure].code", "write(1, value)\n");
    ASSERT_TRUE(outcome.done) << outcome.reason;
    EXPECT_EQ(document(outcome.text).record().controls[0].code, std::string("write(1, value)\n"));
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

// Warnings and errors by line and name.
std::map<std::pair<std::size_t, std::string>, int> findings(const std::string &text)
{
    std::map<std::pair<std::size_t, std::string>, int> found;
    pexilon::check::check_text(text, [&found](const pexilon::check::diagnostic &d) {
        ++found[{d.where.line, std::string(d.name())}];
        return true;
    });
    return found;
}

// The paths of every number a camera or control line sets.
std::vector<std::string> field_paths(const parsed_config &record)
{
    std::vector<std::string> paths;
    for (const pexilon::record_member &member : pexilon::camera_members)
        paths.push_back(std::string("camera.") + member.json_name);
    for (std::uint32_t i = 0; i < record.control_count && i < 4; ++i)
        for (const char *name : {"min_value", "max_value", "step", "default", "ctrl_name"})
            paths.push_back("controls[" + std::to_string(i) + "]." + name);
    for (std::uint32_t i = 0; i < record.param_count && i < 4; ++i)
        paths.push_back("entries[" + std::to_string(i) + "].values");
    return paths;
}

std::string shown(const pexilon::edit::path_value &value)
{
    using form = pexilon::edit::path_value::form;
    if (value.shape == form::number)
        return std::to_string(value.number);
    if (value.shape != form::numbers)
        return value.text;
    std::string list;
    for (std::size_t i = 0; i < value.numbers.size(); ++i)
        list += (i == 0 ? "" : ",") + std::to_string(value.numbers[i]);
    return list;
}

// A value other than the field's own that the field holds.
std::string other_value(const pexilon::edit::path_value &value)
{
    using form = pexilon::edit::path_value::form;
    if (value.shape == form::number)
        return std::to_string(value.number == 0 ? 1 : value.number / 2);
    if (value.shape == form::text)
        return value.text == "edited" ? "changed" : "edited";
    std::string list;
    for (std::size_t i = 0; i < value.numbers.size(); ++i)
        list += (i == 0 ? "" : ",") + std::to_string(value.numbers[i] ^ 1);
    return list.empty() ? "7" : list;
}

TEST(Edit, EverySetReadsBackLocallyWithNoNewWarning)
{
    std::size_t accepted = 0;
    for (const auto &[name, text] : every_file()) {
        SCOPED_TRACE(name);
        const document doc(text);
        const auto before = findings(text);
        for (const std::string &path : field_paths(doc.record())) {
            std::string error;
            const auto value = pexilon::edit::value_at(doc.record(), path, error);
            ASSERT_TRUE(value) << error;
            const std::string wanted = other_value(*value);
            SCOPED_TRACE(path + "=" + wanted);
            const auto outcome = set_value(doc, path, wanted);
            if (!outcome.done)
                continue;
            ++accepted;
            const document after(outcome.text);
            for (const std::string &other : field_paths(doc.record())) {
                const auto got = pexilon::edit::value_at(after.record(), other, error);
                ASSERT_TRUE(got) << other;
                EXPECT_EQ(shown(*got),
                          other == path
                              ? wanted
                              : shown(*pexilon::edit::value_at(doc.record(), other, error)))
                    << other;
            }
            EXPECT_EQ(after.report().outcome.line != 0, doc.report().outcome.line != 0);
            if (after.lines().size() == doc.lines().size()) {
                // Locality: the bytes that differ lie on one line.
                const std::string &edited = outcome.text;
                std::size_t head = 0;
                while (head < text.size() && head < edited.size() && text[head] == edited[head])
                    ++head;
                std::size_t tail = 0;
                while (tail < text.size() - head && tail < edited.size() - head &&
                       text[text.size() - 1 - tail] == edited[edited.size() - 1 - tail])
                    ++tail;
                EXPECT_EQ(text.substr(head, text.size() - tail - head).find('\n'),
                          std::string::npos);
                EXPECT_EQ(edited.substr(head, edited.size() - tail - head).find('\n'),
                          std::string::npos);
            }
            // No new warning, but those that judge the value itself (a
            // range it leaves, a key's earlier value it now differs from, a
            // register address it now is with no value after it).
            for (const auto &[where, count] : findings(outcome.text))
                if (after.lines().size() == doc.lines().size() && where.second != "control-range" &&
                    where.second != "duplicate-key" && where.second != "reg-no-value") {
                    EXPECT_LE(count, before.count(where) ? before.at(where) : 0) << where.second;
                }
        }
    }
    EXPECT_GT(accepted, 500u);
}

TEST(Edit, SettingTheValueHeldChangesNoByte)
{
    for (const auto &[name, text] : every_file()) {
        SCOPED_TRACE(name);
        const document doc(text);
        for (const std::string &path : field_paths(doc.record())) {
            std::string error;
            const auto value = pexilon::edit::value_at(doc.record(), path, error);
            if (value->shape != pexilon::edit::path_value::form::number)
                continue;
            const auto outcome = set_value(doc, path, std::to_string(value->number));
            ASSERT_TRUE(outcome.done) << path << ": " << outcome.reason;
            EXPECT_EQ(outcome.text, text) << path;
        }
    }
}

} // namespace
