// The editing functions of libpexilon_config_check as a C host calls them:
// through its header and the shared object alone. Every refusal comes back
// as 1 with its reason, every fault of the caller as -1 with errno, and
// every text handed out is the caller's to free (the sanitizer build checks
// that each is released once, with free).
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pexilon/config_check.h"

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string sample = contents(fs::path(PEXILON_EXAMPLES_DIR) / "sample.conf");

struct doc_deleter {
    void operator()(pexilon_check_document *doc) const noexcept
    {
        pexilon_check_document_free(doc);
    }
};
using doc_ptr = std::unique_ptr<pexilon_check_document, doc_deleter>;

doc_ptr load(std::string_view text)
{
    return doc_ptr(pexilon_check_document_load(text.data(), text.size()));
}

std::string text_of(const pexilon_check_document *doc)
{
    std::size_t size = 0;
    const char *text = pexilon_check_document_text(doc, &size);
    return {text, size};
}

// The result of an edit and its message, which is freed here as a host frees it.
struct outcome {
    int result;
    std::string message;
    bool had_message;
};

using edit_call = std::function<int(pexilon_check_document *, char **)>;

outcome run(pexilon_check_document *doc, const edit_call &edit)
{
    char *message = reinterpret_cast<char *>(&message); // must be overwritten
    const int result = edit(doc, &message);
    outcome out{result, message != nullptr ? message : "", message != nullptr};
    std::free(message);
    return out;
}

edit_call set(std::string path, std::string value)
{
    return [=](pexilon_check_document *d, char **m) {
        return pexilon_check_document_set(d, path.c_str(), value.data(), value.size(), m);
    };
}
edit_call insert(std::size_t index, std::string entry)
{
    return [=](pexilon_check_document *d, char **m) {
        return pexilon_check_document_insert(d, index, entry.c_str(), m);
    };
}
edit_call insert_after(std::size_t after, std::string entry)
{
    return [=](pexilon_check_document *d, char **m) {
        return pexilon_check_document_insert_after(d, after, entry.c_str(), m);
    };
}
edit_call insert_in(std::string section, std::string entry)
{
    return [=](pexilon_check_document *d, char **m) {
        return pexilon_check_document_insert_in_section(d, section.c_str(), entry.c_str(), m);
    };
}
edit_call add_control(std::string name)
{
    return [=](pexilon_check_document *d, char **m) {
        return pexilon_check_document_add_control(d, name.c_str(), m);
    };
}
edit_call remove(std::string item)
{
    return [=](pexilon_check_document *d, char **m) {
        return pexilon_check_document_remove(d, item.c_str(), m);
    };
}

struct refusal_row {
    const char *text; // null for the sample
    edit_call edit;
    const char *reason; // the whole message
};

TEST(EditApi, EveryRefusalComesBackWithItsReason)
{
    const std::string long_code = std::string(250, 'x') + "\n";
    // Its second 199-byte piece is a line of its own: entries[1].
    const std::string two_on_a_line =
        "[register parameter]\nREG = 1 ;" + std::string(190, 'x') + "REG = 2\n";
    const std::string seventeen =
        "[register parameter]\nREG = 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n";
    const refusal_row rows[] = {
        {nullptr, set("controls.step", "1"), "a list needs an index in brackets"},
        {nullptr, set("controls[3].step", "1"), "there is no index 3 (the file has 3)"},
        {nullptr, set("controls[Zoom].step", "1"), "no control is named 'Zoom'"},
        {nullptr, set("entries[x].values", "1"), "an entry is named by its number"},
        {nullptr, set("camera.depth", "1"), "no field is named 'depth'"},
        {nullptr, set("controls[0].reserved", "1"), "no key of a file sets reserved"},
        {nullptr, set("sensor.width", "1"),
         "a path starts with camera., controls[...] or entries[...]"},
        {nullptr, set("controls[0]", "1"), "a field follows the index: '.NAME'"},
        {nullptr, set("entries[0].key", "REG"),
         "an entry's key is where its line stands; move the line"},
        {nullptr, set("entries[0].size", "1"), "an entry has no field 'size'"},
        {nullptr, set("camera.width", "12x"), "'12x' is not a number (decimal, or 0x hexadecimal)"},
        {nullptr, set("camera.bit_width", "300"), "bit_width holds 0 to 255, not 300"},
        {nullptr, set("camera.type", std::string(51, 't')), "TYPE holds at most 50 bytes, not 51"},
        {nullptr, set("controls[0].func_name", "a\nb"),
         "FUNC_NAME is one line of text: it cannot hold a line end or a NUL byte, where it would "
         "end"},
        {nullptr, set("camera.type", std::string("a\0b", 3)),
         "TYPE is one line of text: it cannot hold a line end or a NUL byte, where it would end"},
        {nullptr, set("controls[0].code", std::string("a\0b\n", 4)),
         "a code text cannot hold a NUL byte: the record's text would end there"},
        {nullptr, set("entries[0].values", "-1"),
         "'-1' is not an entry's number (0 to 4294967295)"},
        {nullptr, set("entries[0].values", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17"),
         "an entry holds at most 16 numbers, not 17"},
        {nullptr, set("controls[0].code", "x\n[camera parameter]\n"),
         "a line of the code would be read as a block marker or a section header"},
        {nullptr, set("controls[0].code", long_code),
         "a line would pass the reader's 199 bytes and be read in pieces"},
        {nullptr, set("controls[0].func_name", " padded"),
         "the result would read back otherwise than asked: controls[0] differs"},
        {nullptr, insert_after(0, "MAX_VALUE=1"),
         "an entry is KEY=NUMBERS with KEY one of REG, DELAY, VRCMD"},
        {nullptr, insert_after(0, "REG=0x100000000"),
         "'0x100000000' is not an entry's number (0 to 4294967295)"},
        {nullptr, insert_after(20, "REG=1"), "there is no entries[20]"},
        {nullptr, insert(30, "REG=1"),
         "there is no entries[30] to put the entry before (the file has 20)"},
        {"", insert(0, "REG=1"),
         "the file has no entry to put the new one beside: name its section"},
        {nullptr, insert(14, "REG=1"),
         "entries[14] is a line that continues the one above it, which a line put before it "
         "would continue instead"},
        {nullptr, insert_in("camera parameter", "REG=1"),
         "'camera parameter' is not a board or register section"},
        {nullptr, add_control(std::string(128, 'z')), "CTRL_NAME holds at most 127 bytes, not 128"},
        {nullptr, remove("entries[2].values"),
         "an entry or a control is named without a field: entries[N], controls[N]"},
        {nullptr, remove("entries[20]"), "there is no index 20 (the file has 20)"},
        {nullptr, remove("controls[Zoom]"), "no control is named 'Zoom'"},
        {two_on_a_line.c_str(), remove("entries[1]"),
         "entries[1] shares its long line with others"},
        // The list of 17 is a faulty line; one of 1 would not be.
        {seventeen.c_str(), set("entries[0].values", "1"),
         "the result would not keep the file's faulty lines as they are"},
    };
    for (const refusal_row &row : rows) {
        SCOPED_TRACE(row.reason);
        const std::string text = row.text != nullptr ? row.text : sample;
        const doc_ptr doc = load(text);
        ASSERT_NE(doc, nullptr);
        const outcome got = run(doc.get(), row.edit);
        EXPECT_EQ(got.result, 1);
        EXPECT_EQ(got.message, row.reason);
        EXPECT_EQ(text_of(doc.get()), text); // the document is as it was
        // Without a place for the message the refusal is the same, and
        // nothing is left behind for anyone to free.
        EXPECT_EQ(row.edit(doc.get(), nullptr), 1);
    }
}

TEST(EditApi, CallerFaultsGiveMinusOneWithErrno)
{
    const doc_ptr doc = load(sample);
    const edit_call faults[] = {
        [](pexilon_check_document *, char **m) {
            return pexilon_check_document_set(nullptr, "camera.width", "1", 1, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_set(d, nullptr, "1", 1, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_set(d, "camera.width", nullptr, 1, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_insert(d, 0, nullptr, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_insert_after(d, 0, nullptr, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_insert_in_section(d, nullptr, "REG=1", m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_add_control(d, nullptr, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_remove(d, nullptr, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_document_save(d, nullptr, m);
        },
        [](pexilon_check_document *, char **m) {
            char *text = nullptr;
            return pexilon_check_write_record(nullptr, &text, nullptr, m);
        },
        [](pexilon_check_document *d, char **m) {
            return pexilon_check_write_record(pexilon_check_document_record(d), nullptr, nullptr,
                                              m);
        },
    };
    for (const edit_call &fault : faults) {
        errno = 0;
        const outcome got = run(doc.get(), fault);
        EXPECT_EQ(got.result, -1);
        EXPECT_EQ(errno, EINVAL);
        EXPECT_FALSE(got.had_message);
    }
    EXPECT_EQ(text_of(doc.get()), sample);
    std::size_t size = 7;
    EXPECT_EQ(pexilon_check_document_text(nullptr, &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(pexilon_check_document_record(nullptr), nullptr);
    EXPECT_EQ(pexilon_check_document_parse_result(nullptr), -1);
    pexilon_check_document_free(nullptr);
}

TEST(EditApi, EditsChangeTheirBytesAndTheRecord)
{
    const doc_ptr doc = load(sample);
    const parsed_config *before = pexilon_check_document_record(doc.get());
    EXPECT_EQ(before->camera.width, 4056u);
    EXPECT_EQ(run(doc.get(), set("camera.width", "1920")).result, 0);
    EXPECT_EQ(run(doc.get(), set("controls[Exposure].max_value", "0x60E")).result, 0);
    const parsed_config *after = pexilon_check_document_record(doc.get());
    EXPECT_EQ(after->camera.width, 1920u);
    EXPECT_EQ(after->camera.height, 3040u);
    EXPECT_EQ(after->controls[0].max_value, 1550);
    std::string expected = sample;
    expected.replace(expected.find("SIZE      = 4056"), 16, "SIZE      = 1920");
    expected.replace(expected.find("MAX_VALUE = 3100"), 16, "MAX_VALUE = 1550");
    EXPECT_EQ(text_of(doc.get()), expected);

    // The new entry takes the index it was given, in its neighbour's section.
    const std::uint32_t count = after->param_count;
    EXPECT_EQ(run(doc.get(), insert(0, "DELAY=7")).result, 0);
    EXPECT_EQ(run(doc.get(), insert(count + 1, "REG=0x0115,0x01")).result, 0);
    after = pexilon_check_document_record(doc.get());
    ASSERT_EQ(after->param_count, count + 2);
    EXPECT_EQ(after->params[0].values[0], 7u);
    EXPECT_EQ(after->params[0].type, (after->params[1].type & 0xFFFF0000u) | PEXILON_KEY_DELAY);
    EXPECT_EQ(after->params[count + 1].values[0], 0x0115u);
    EXPECT_EQ(after->params[count + 1].type >> 16, after->params[count].type >> 16);
    EXPECT_NE(text_of(doc.get()).find("DELAY = 7\nVRCMD = 0x00, 0x07, 0x05"), std::string::npos);

    // Removing what was put in gives the text back, byte for byte.
    EXPECT_EQ(run(doc.get(), remove("entries[" + std::to_string(count + 1) + "]")).result, 0);
    EXPECT_EQ(run(doc.get(), remove("entries[0]")).result, 0);
    EXPECT_EQ(text_of(doc.get()), expected);
    EXPECT_EQ(pexilon_check_document_parse_result(doc.get()), 0);
}

TEST(EditApi, FaultyLinesStayAndTheParseResultIsTheReaders)
{
    const std::string faulty = "[camera parameter]\nno separator\nBIT_WIDTH = 8\n";
    const doc_ptr doc = load(faulty);
    EXPECT_EQ(pexilon_check_document_parse_result(doc.get()), 2);
    EXPECT_EQ(run(doc.get(), set("camera.bit_width", "10")).result, 0);
    EXPECT_EQ(text_of(doc.get()), "[camera parameter]\nno separator\nBIT_WIDTH = 10\n");
    EXPECT_EQ(pexilon_check_document_parse_result(doc.get()), 2);
}

struct record_row {
    void (*change)(parsed_config &, param_entry &, control_entry &);
    const char *reason;
};

TEST(EditApi, WrittenRecordsReadBackOrAreRefused)
{
    const doc_ptr doc = load(sample);
    char *text = nullptr;
    std::size_t size = 0;
    char *message = nullptr;
    ASSERT_EQ(pexilon_check_write_record(pexilon_check_document_record(doc.get()), &text, &size,
                                         &message),
              0);
    EXPECT_EQ(message, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::strlen(text), size);
    const doc_ptr written = load({text, size});
    std::free(text);
    char *again = nullptr;
    ASSERT_EQ(pexilon_check_write_record(pexilon_check_document_record(written.get()), &again,
                                         nullptr, nullptr),
              0);
    EXPECT_EQ(again, text_of(written.get())); // the writer's layout is its own fixed point
    std::free(again);

    char code[] = "no line end";
    char header[] = "[camera parameter]\n";
    const record_row rows[] = {
        {[](parsed_config &, param_entry &e, control_entry &) { e.type = 0x09000001u; },
         "entries[0] has a type no section and key of a file give"},
        {[](parsed_config &, param_entry &e, control_entry &) { e.value_count = 17; },
         "entries[0] holds 17 values, more than the 16 an entry has"},
        {[](parsed_config &, param_entry &, control_entry &c) { c.reserved = 1; },
         "controls[0].reserved is not 0, and no key of a file sets it"},
        {[](parsed_config &r, param_entry &, control_entry &) {
             std::memcpy(r.camera.type, "a ;b", 4);
         },
         "camera.type has blanks at an end or before ';' or '//', which a file reads otherwise"},
        {nullptr, "controls[0].code does not end with a line end, as every code a file gives does"},
        {nullptr, "a line of a code text would be read as a block marker or a section header"},
    };
    for (const record_row &row : rows) {
        SCOPED_TRACE(row.reason);
        param_entry entry{0x03000001u, {0x0100, 0x01}, 2};
        control_entry control{};
        parsed_config record{};
        record.params = &entry;
        record.param_count = 1;
        record.controls = &control;
        record.control_count = 1;
        if (row.change != nullptr)
            row.change(record, entry, control);
        else
            control.code = std::strstr(row.reason, "line end") != nullptr ? code : header;
        text = reinterpret_cast<char *>(&text);
        message = nullptr;
        EXPECT_EQ(pexilon_check_write_record(&record, &text, &size, &message), 1);
        EXPECT_EQ(text, nullptr);
        ASSERT_NE(message, nullptr);
        EXPECT_STREQ(message, row.reason);
        std::free(message);
    }
}

class saved_file : public testing::Test {
protected:
    fs::path folder = fs::path(testing::TempDir()) / ("edit_api_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }
    std::size_t entries() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }
};

TEST_F(saved_file, SaveReplacesAtomicallyAndKeepsTheMode)
{
    const fs::path path = folder / "board.conf";
    std::ofstream(path) << sample;
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const fs::path link = folder / "link.conf";
    fs::create_symlink(path, link);
    const doc_ptr doc = load(sample);
    ASSERT_EQ(run(doc.get(), set("camera.bit_width", "12")).result, 0);
    const outcome saved = run(doc.get(), [&](pexilon_check_document *d, char **m) {
        return pexilon_check_document_save(d, link.c_str(), m);
    });
    EXPECT_EQ(saved.result, 0);
    EXPECT_FALSE(saved.had_message);
    EXPECT_EQ(contents(path), text_of(doc.get()));
    EXPECT_TRUE(fs::is_symlink(link));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(), 2u); // no temporary file left

    const fs::path fresh = folder / "new.conf";
    EXPECT_EQ(
        run(doc.get(), [&](pexilon_check_document *d,
                           char **m) { return pexilon_check_document_save(d, fresh.c_str(), m); })
            .result,
        0);
    EXPECT_EQ(contents(fresh), text_of(doc.get()));
}

TEST_F(saved_file, SaveRefusesWithTheReasonAndErrno)
{
    const fs::path linked = folder / "linked.conf";
    std::ofstream(linked) << "[camera parameter]\n";
    fs::create_hard_link(linked, folder / "other.conf");
    struct row {
        std::string path;
        const char *reason;
        int error;
    };
    const row rows[] = {
        {linked.string(), "it has 2 hard links, which a rewrite would part", 0},
        {folder.string(), "it is not a regular file", 0},
        {(folder / "missing" / "x.conf").string(),
         "cannot create a temporary file beside it: No such file or directory", ENOENT},
    };
    const doc_ptr doc = load(sample);
    for (const row &each : rows) {
        SCOPED_TRACE(each.path);
        errno = -1;
        const outcome got = run(doc.get(), [&](pexilon_check_document *d, char **m) {
            return pexilon_check_document_save(d, each.path.c_str(), m);
        });
        EXPECT_EQ(errno, each.error);
        EXPECT_EQ(got.result, 1);
        EXPECT_EQ(got.message, each.reason);
    }
    EXPECT_EQ(contents(linked), "[camera parameter]\n");
    EXPECT_EQ(entries(), 2u);
}

// What another program does to the file between a document's load and its save.
struct meanwhile_row {
    const char *what;
    void (*other)(const fs::path &file); // null: nothing
    bool from_text;                      // pexilon_check_document_load's document, not _file's
    const char *save_as;                 // the name saved to, in the folder
    const char *reason;                  // null: saved
};

void rewrite_same_size(const fs::path &file)
{
    std::string text = contents(file);
    text[text.find("0x1A")] = 'x'; // I2C_ADDR's value, in place
    std::ofstream(file, std::ios::binary | std::ios::in | std::ios::out) << text;
}
void append_line(const fs::path &file) { std::ofstream(file, std::ios::app) << "; note\n"; }
void replace_by_copy(const fs::path &file)
{
    const fs::path copy = file.string() + ".new";
    fs::copy_file(file, copy);
    fs::rename(copy, file);
}
void remove_it(const fs::path &file) { fs::remove(file); }

TEST_F(saved_file, ASaveOverTheFileReadRefusesWhenItChangedMeanwhile)
{
    const char *changed = "it changed since it was read, and saving would lose that change";
    const meanwhile_row rows[] = {
        {"nothing", nullptr, false, "board.conf", nullptr},
        {"rewritten in place, as many bytes", rewrite_same_size, false, "board.conf", changed},
        {"appended to", append_line, false, "board.conf", changed},
        {"rewritten, saved through a link to it", append_line, false, "link.conf", changed},
        {"replaced by a file of the same bytes", replace_by_copy, false, "board.conf",
         "another file took its place since it was read, and saving would lose it"},
        {"removed", remove_it, false, "board.conf", "it was removed since it was read"},
        {"rewritten, saved to another file", append_line, false, "other.conf", nullptr},
        {"rewritten, the document made from a text", append_line, true, "board.conf", nullptr},
    };
    const fs::path file = folder / "board.conf";
    fs::create_symlink(file, folder / "link.conf");
    for (const meanwhile_row &row : rows) {
        SCOPED_TRACE(row.what);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << sample;
        const doc_ptr doc(row.from_text ? pexilon_check_document_load(sample.data(), sample.size())
                                        : pexilon_check_document_load_file(file.c_str()));
        ASSERT_NE(doc, nullptr);
        ASSERT_EQ(text_of(doc.get()), sample);
        ASSERT_EQ(run(doc.get(), set("camera.bit_width", "12")).result, 0);
        if (row.other != nullptr)
            row.other(file);
        const bool there = fs::exists(file);
        const std::string left = there ? contents(file) : "";
        const fs::path target = folder / row.save_as;
        errno = -1;
        const outcome got = run(doc.get(), [&](pexilon_check_document *d, char **m) {
            return pexilon_check_document_save(d, target.c_str(), m);
        });
        EXPECT_EQ(got.result, row.reason != nullptr ? 1 : 0);
        EXPECT_EQ(got.message, row.reason != nullptr ? row.reason : "");
        if (row.reason != nullptr) {
            EXPECT_EQ(errno, 0);
            EXPECT_EQ(fs::exists(file), there);
            EXPECT_EQ(there ? contents(file) : "", left); // as the other program left it
        } else {
            EXPECT_EQ(contents(target), text_of(doc.get()));
        }
        fs::remove(folder / "other.conf");
        EXPECT_EQ(entries(), there ? 2u : 1u); // no temporary file left
    }
}

TEST_F(saved_file, EachSaveIsCheckedAgainstWhatTheLastOneWrote)
{
    const fs::path file = folder / "board.conf";
    std::ofstream(file, std::ios::binary) << sample;
    const doc_ptr doc(pexilon_check_document_load_file(file.c_str()));
    ASSERT_NE(doc, nullptr);
    const auto save = [&](const char *width) {
        EXPECT_EQ(run(doc.get(), set("camera.width", width)).result, 0);
        return run(doc.get(), [&](pexilon_check_document *d, char **m) {
            return pexilon_check_document_save(d, file.c_str(), m);
        });
    };
    EXPECT_EQ(save("1920").result, 0);
    EXPECT_EQ(save("1280").result, 0); // a new file, with the text the first save wrote
    EXPECT_EQ(contents(file), text_of(doc.get()));
    append_line(file);
    const std::string left = contents(file);
    EXPECT_EQ(save("640").message,
              "it changed since it was read, and saving would lose that change");
    EXPECT_EQ(contents(file), left);

    errno = 0;
    EXPECT_EQ(pexilon_check_document_load_file(nullptr), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(pexilon_check_document_load_file((folder / "missing.conf").c_str()), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(pexilon_check_document_load_file(folder.c_str()), nullptr);
    EXPECT_EQ(errno, EISDIR);
}

} // namespace
