// pexilon::document and pexilon::dumps (pexilon/check.hpp) as a host uses
// them, with and without exceptions: the edits, what a refusal gives in each
// form, the atomic save and the writer.
#include <pexilon/check.hpp>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <type_traits>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const fs::path sample_path = fs::path(PEXILON_EXAMPLES_DIR) / "sample.conf";

static_assert(std::is_nothrow_move_constructible_v<pexilon::document>);
static_assert(std::is_nothrow_move_assignable_v<pexilon::document>);
static_assert(!std::is_copy_constructible_v<pexilon::document>);

TEST(CxxDocument, NothrowEditsAndTheirStatus)
{
    auto [doc, error] = pexilon::document::load(sample_path, std::nothrow);
    ASSERT_FALSE(error);
    const std::string old(doc.text());
    EXPECT_TRUE(doc.set("camera.width", 1920, std::nothrow));
    EXPECT_TRUE(doc.set("controls[Exposure].max_value", "1550", std::nothrow));
    EXPECT_EQ(doc.camera().width(), 1920u);
    EXPECT_EQ(doc.controls()[0].max(), 1550);
    const std::size_t count = doc.entries().size();
    EXPECT_TRUE(doc.insert(count, "REG=0x0115,0x01", std::nothrow));
    EXPECT_TRUE(doc.insert_in("[board parameter][dev2]", "DELAY=3", std::nothrow));
    EXPECT_TRUE(doc.add_control("Zoom", std::nothrow));
    EXPECT_EQ(doc.entries().size(), count + 2);
    EXPECT_EQ(doc.controls()[3].name(), "Zoom");

    const pexilon::edit_status refused = doc.set("camera.bit_width", 300, std::nothrow);
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.refused());
    EXPECT_FALSE(refused.error());
    EXPECT_EQ(refused.reason(), "bit_width holds 0 to 255, not 300");
    EXPECT_EQ(doc.camera().bit_width(), 10u);

    EXPECT_TRUE(doc.remove("controls[Zoom]", std::nothrow));
    EXPECT_TRUE(doc.remove("entries[6]", std::nothrow)); // the DELAY put in dev2
    EXPECT_TRUE(doc.remove("entries[" + std::to_string(count) + "]", std::nothrow));
    EXPECT_TRUE(doc.set("camera.width", 4056, std::nothrow));
    EXPECT_TRUE(doc.set("controls[0].max_value", 3100, std::nothrow));
    // The blank line add_control put before its header stays, as the blank
    // lines at the end of a section do when it is removed.
    EXPECT_EQ(doc.text(), old + "\n");
    EXPECT_EQ(doc.parse_result(), 0);

    const auto missing = pexilon::document::load("/nonexistent/board.conf", std::nothrow);
    EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
}

TEST(CxxDocument, AnEmptyDocumentIsTheEmptyText)
{
    pexilon::document doc;
    EXPECT_EQ(doc.text(), "");
    EXPECT_EQ(doc.entries().size(), 0u);
    EXPECT_TRUE(doc.insert_in("[register parameter]", "REG=0x0100,0x01", std::nothrow));
    EXPECT_EQ(doc.text(), "[register parameter]\nREG = 0x0100, 0x01\n");
    pexilon::document moved = std::move(doc);
    EXPECT_EQ(doc.text(), "");
    EXPECT_EQ(moved.entries().size(), 1u);
}

TEST(CxxDocument, DumpsWritesARecordThatReadsBack)
{
    const pexilon::document doc =
        pexilon::document::loads(contents(sample_path), std::nothrow).document;
    std::string text;
    ASSERT_TRUE(pexilon::dumps(doc.raw(), text, std::nothrow));
    const pexilon::document written = pexilon::document::loads(text, std::nothrow).document;
    EXPECT_EQ(written.entries().size(), doc.entries().size());
    EXPECT_EQ(written.controls()[2].code(), doc.controls()[2].code());
    parsed_config record = doc.raw();
    control_entry control = record.controls[0];
    control.reserved = 7;
    record.controls = &control;
    record.control_count = 1;
    const pexilon::edit_status s = pexilon::dumps(record, text, std::nothrow);
    EXPECT_TRUE(s.refused());
    EXPECT_EQ(s.reason(), "controls[0].reserved is not 0, and no key of a file sets it");
}

TEST(CxxDocument, SaveOverTheFileLoadedRefusesWhenItChangedMeanwhile)
{
    const fs::path folder =
        fs::path(testing::TempDir()) / ("cxx_doc_changed_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / "board.conf";
    fs::copy_file(sample_path, path, fs::copy_options::overwrite_existing);
    auto loaded = pexilon::document::load(path, std::nothrow);
    ASSERT_FALSE(loaded.error);
    pexilon::document &doc = loaded.document;
    EXPECT_TRUE(doc.set("camera.width", 1920, std::nothrow));
    EXPECT_TRUE(doc.save(path, std::nothrow));
    EXPECT_TRUE(doc.set("camera.width", 1280, std::nothrow));
    EXPECT_TRUE(doc.save(path, std::nothrow)); // against what the first save wrote
    std::ofstream(path, std::ios::app) << "; another program's line\n";
    const std::string left = contents(path);
    const pexilon::edit_status s = doc.save(path, std::nothrow);
    EXPECT_TRUE(s.refused());
    EXPECT_FALSE(s.error());
    EXPECT_EQ(s.reason(), "it changed since it was read, and saving would lose that change");
    EXPECT_EQ(contents(path), left);
#if PEXILON_CXX_EXCEPTIONS
    EXPECT_THROW(doc.save(path), pexilon::edit_error);
#endif
    // A document of the text is not checked: it writes over the change.
    EXPECT_TRUE(
        pexilon::document::loads(doc.text(), std::nothrow).document.save(path, std::nothrow));
    EXPECT_EQ(contents(path), doc.text());
    fs::remove_all(folder);
}

#if PEXILON_CXX_EXCEPTIONS
TEST(CxxDocument, RefusalsThrowEditErrorAndSaveIsAtomic)
{
    pexilon::document doc = pexilon::document::load(sample_path);
    try {
        doc.set("controls[Zoom].step", 1);
        FAIL() << "no exception";
    } catch (const pexilon::edit_error &e) {
        EXPECT_STREQ(e.what(), "no control is named 'Zoom'");
    }
    EXPECT_THROW(doc.remove("entries[99]"), pexilon::edit_error);
    EXPECT_THROW(pexilon::document::load("/nonexistent/board.conf"), std::system_error);

    const fs::path folder =
        fs::path(testing::TempDir()) / ("cxx_doc_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / "board.conf";
    doc.set("camera.i2c_addr", "0x36");
    doc.save(path);
    EXPECT_EQ(contents(path), doc.text());
    EXPECT_EQ(pexilon::load(path).camera().i2c_addr(), 0x36u);
    try {
        doc.save(folder / "missing" / "board.conf");
        FAIL() << "no exception";
    } catch (const std::system_error &e) {
        EXPECT_EQ(e.code(), std::errc::no_such_file_or_directory);
        EXPECT_NE(std::string(e.what()).find("cannot create a temporary file beside it"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_THROW(doc.save(folder), pexilon::edit_error); // not a regular file
    fs::remove_all(folder);

    const std::string text = pexilon::dumps(pexilon::load(sample_path));
    EXPECT_EQ(pexilon::document::loads(text).controls().size(), 3u);
    parsed_config record{};
    param_entry entry{0x09000001u, {}, 0};
    record.params = &entry;
    record.param_count = 1;
    EXPECT_THROW(pexilon::dumps(record), pexilon::edit_error);
}
#endif

} // namespace
