// The writer: the file written for a record reads back as that record, for
// every clean file the project keeps and for random records at the edges of
// each field; records no file can express are refused with the reason.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "config/record_compare.h"
#include "config/record_fields.h"
#include "document/document.h"
#include "edit/field_values.h"
#include "edit/record_writer.h"

namespace {

namespace fs = std::filesystem;
using pexilon::edit::record_copy;

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void expect_reads_back(record_copy &record)
{
    const auto outcome = pexilon::edit::write_record(record);
    ASSERT_TRUE(outcome.done) << outcome.reason;
    const pexilon::document written(outcome.text);
    EXPECT_EQ(written.report().outcome.line, 0);
    const parsed_config wanted = record.view();
    EXPECT_FALSE(pexilon::first_mismatch(wanted, written.record())) << outcome.text;
}

TEST(RecordWriter, EveryCleanFileReadsBack)
{
    std::size_t files = 0;
    for (const auto &entry : fs::directory_iterator(PEXILON_TEST_DATA_DIR)) {
        const pexilon::document doc(contents(entry.path()));
        if (entry.path().extension() != ".conf" || doc.report().outcome.line != 0)
            continue;
        SCOPED_TRACE(entry.path().string());
        record_copy record(doc.record());
        expect_reads_back(record);
        ++files;
    }
    EXPECT_GT(files, 5u);
}

// A field's value at an edge of its range, or between.
std::int64_t edge_value(std::mt19937 &random, const pexilon::record_member &member)
{
    const pexilon::edit::number_range range = pexilon::edit::range_of(member);
    switch (random() % 3) {
    case 0:
        return range.low;
    case 1:
        return range.high;
    default:
        return range.low / 2 + range.high / 2;
    }
}

std::string random_text(std::mt19937 &random, std::size_t at_most)
{
    static const std::string letters = "abcXYZ09_;[ .-";
    const std::size_t size = random() % 2 ? at_most : random() % (at_most + 1);
    std::string text(size, 'a');
    for (char &c : text)
        c = letters[random() % letters.size()];
    // The reader trims a value's blanks: a text has none at either end.
    if (!text.empty())
        text.front() = text.back() = 'n';
    for (std::size_t i = 1; i < text.size(); ++i)
        if (text[i] == ';' && text[i - 1] == ' ')
            text[i] = 'n';
    return text;
}

TEST(RecordWriter, RandomRecordsAtTheEdgesReadBack)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        record_copy record{parsed_config{}};
        for (const pexilon::record_member &member : pexilon::camera_members)
            if (member.form == pexilon::field_form::number)
                pexilon::store_number(&record.camera, member, edge_value(random, member));
        const std::string type = random_text(random, sizeof record.camera.type);
        std::memcpy(record.camera.type, type.data(), type.size());
        for (std::size_t i = random() % 5; i > 0; --i) {
            param_entry entry{};
            entry.type = pexilon::section_codes[2 + random() % 7].code | (1 + random() % 3);
            entry.value_count = static_cast<std::uint8_t>(random() % 17);
            for (std::size_t v = 0; v < entry.value_count; ++v)
                entry.values[v] = random() % 2 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(random());
            record.params.push_back(entry);
        }
        for (std::size_t i = random() % 3; i > 0; --i) {
            control_entry control{};
            for (const pexilon::record_member &member : pexilon::control_members)
                if (member.form == pexilon::field_form::number &&
                    member.json_name != std::string("reserved"))
                    pexilon::store_number(&control, member, edge_value(random, member));
            const std::string name = random_text(random, sizeof control.ctrl_name - 1);
            std::memcpy(control.ctrl_name, name.data(), name.size());
            std::optional<std::string> code;
            if (random() % 2)
                code = "\n    indented ; [not a header\n\ttab\n\n";
            record.insert_control(record.controls.size(), control, code);
        }
        expect_reads_back(record);
    }
}

TEST(RecordWriter, RefusesWhatNoFileExpresses)
{
    struct row {
        void (*change)(record_copy &);
        const char *reason;
    };
    const row rows[] = {
        {[](record_copy &r) {
             r.params.push_back({0x09000001u, {}, 0});
         },
         "has a type"},
        {[](record_copy &r) {
             r.params.push_back({0x02000009u, {}, 0});
         },
         "has a type"},
        {[](record_copy &r) { r.controls[0].reserved = 1; }, "reserved is not 0"},
        {[](record_copy &r) { r.codes[0] = "no line end"; }, "does not end with a line end"},
        {[](record_copy &r) { r.codes[0] = "[camera parameter]\n"; }, "section header"},
        {[](record_copy &r) { std::memcpy(r.controls[0].ctrl_name, " x", 2); }, "blanks at an end"},
        {[](record_copy &r) { std::memcpy(r.camera.type, "a ;b", 4); }, "before ';'"},
    };
    for (const row &each : rows) {
        SCOPED_TRACE(each.reason);
        record_copy record{parsed_config{}};
        record.insert_control(0, control_entry{}, std::nullopt);
        each.change(record);
        const auto outcome = pexilon::edit::write_record(record);
        EXPECT_FALSE(outcome.done);
        EXPECT_NE(outcome.reason.find(each.reason), std::string::npos) << outcome.reason;
    }
}

} // namespace
