// The C++ interface (pexilon/config.hpp, pexilon/check.hpp) as a host sees
// it: the public headers and the two shared objects, nothing else. Built as
// C++17, as C++20 and as C++17 without exceptions (where the tests of the
// throwing forms drop out); run under the sanitizers with the other tests.
#include <pexilon/check.hpp>
#include <pexilon/config.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#if PEXILON_CXX_EXCEPTIONS
#include "cxx/failing_new.h"
#endif

namespace {

namespace fs = std::filesystem;

// A file of its own for each test, removed with it.
class file {
public:
    explicit file(const std::string &text)
        // The process in the name: the test runs in each language build's
        // program, side by side under ctest -j.
        : path_(fs::path(testing::TempDir()) /
                ("cxx_" + std::to_string(::getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name() + ".conf"))
    {
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~file() { fs::remove(path_); }
    file(const file &) = delete;
    file &operator=(const file &) = delete;
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
};

std::vector<fs::path> conf_files()
{
    std::vector<fs::path> files;
    for (const char *dir : {PEXILON_TEST_DATA_DIR, PEXILON_CHECK_DATA_DIR})
        for (const auto &e : fs::directory_iterator(dir))
            if (e.path().extension() == ".conf")
                files.push_back(e.path());
    files.push_back(fs::path(PEXILON_EXAMPLES_DIR) / "sample.conf");
    std::sort(files.begin(), files.end());
    return files;
}

void free_record(parsed_config &r)
{
    for (std::uint32_t i = 0; i < r.control_count; ++i)
        std::free(r.controls[i].code);
    std::free(r.controls);
    std::free(r.params);
}

std::string_view field(const char *text, std::size_t size) { return {text, strnlen(text, size)}; }

// A file that must load cleanly.
pexilon::config load_clean(const fs::path &path)
{
    pexilon::load_result r = pexilon::load(path, std::nothrow);
    EXPECT_TRUE(r.status.ok()) << path;
    return std::move(r.config);
}

const std::string two_entries = "[register parameter]\nREG = 1, 2\nREG = 3\n";
const std::string one_control =
    "[control parameter]\nCTRL_NAME = gain\n"
    "======CODE_BLOCK_START======\nset(v);\n======CODE_BLOCK_END======\n";

// --- Every view against the C record ------------------------------------------

TEST(CxxViews, AgreeWithTheCRecordOnEveryDataFile)
{
    const std::vector<fs::path> files = conf_files();
    ASSERT_GT(files.size(), 30U);
    for (const fs::path &path : files) {
        SCOPED_TRACE(path.string());
        parsed_config r{};
        const int result = pexilon_parse_config(path.c_str(), &r);
        const auto [cfg, status] = pexilon::load(path, std::nothrow);
        EXPECT_EQ(status.ok(), result == 0);
        EXPECT_EQ(status.fault().reader_line, static_cast<std::size_t>(std::max(result, 0)));
        const pexilon::camera_view cam = cfg.camera();
        EXPECT_EQ(&cam.raw(), &cfg.raw().camera); // a view, not a copy
        EXPECT_EQ(cam.type(), field(r.camera.type, sizeof r.camera.type));
        EXPECT_EQ(cam.cfg_mode(), r.camera.cfg_mode);
        EXPECT_EQ(cam.width(), r.camera.width);
        EXPECT_EQ(cam.height(), r.camera.height);
        EXPECT_EQ(cam.bit_width(), r.camera.bit_width);
        EXPECT_EQ(cam.format(), r.camera.format);
        EXPECT_EQ(cam.i2c_mode(), r.camera.i2c_mode);
        EXPECT_EQ(cam.i2c_addr(), r.camera.i2c_addr);
        EXPECT_EQ(cam.trans_lvl(), r.camera.trans_lvl);

        ASSERT_EQ(cfg.entries().size(), r.param_count);
        std::size_t i = 0;
        for (const pexilon::entry e : cfg.entries()) {
            const param_entry &c = r.params[i++];
            EXPECT_EQ(e.type(), c.type);
            EXPECT_EQ(static_cast<std::uint32_t>(e.kind()), c.type >> 24);
            EXPECT_EQ(static_cast<std::uint32_t>(e.variant()), (c.type >> 16) & 0xFFu);
            EXPECT_EQ(static_cast<std::uint32_t>(e.key()), c.type & 0xFFFFu);
            EXPECT_EQ(e.values().data(), e.raw().values); // a view, not a copy
            EXPECT_EQ(std::vector<std::uint32_t>(e.values().begin(), e.values().end()),
                      std::vector<std::uint32_t>(c.values, c.values + c.value_count));
        }
        ASSERT_EQ(cfg.controls().size(), r.control_count);
        for (std::size_t k = 0; k < r.control_count; ++k) {
            const pexilon::control v = cfg.controls()[k];
            const control_entry &c = r.controls[k];
            EXPECT_EQ(v.min(), c.min_value);
            EXPECT_EQ(v.max(), c.max_value);
            EXPECT_EQ(v.step(), c.step);
            EXPECT_EQ(v.def(), c.def);
            EXPECT_EQ(v.name(), field(c.ctrl_name, sizeof c.ctrl_name));
            EXPECT_EQ(v.function(), field(c.func_name, sizeof c.func_name));
            EXPECT_EQ(v.has_code(), c.code != nullptr);
            EXPECT_EQ(v.code(), c.code != nullptr ? std::string_view(c.code) : "");
        }
        free_record(r);
    }
}

// The kinds, variants and keys the library writes are the enumerators.
TEST(CxxViews, SectionsAndKeysMapToTheirEnumerators)
{
    const file f("[board parameter]\nREG = 1\n[board parameter][dev2]\nVRCMD = 2\n"
                 "[board parameter][dev3][inf3]\nDELAY = 3\n[register parameter][dev3][inf2]\n"
                 "REG = 4\n");
    const auto [cfg, status] = pexilon::load(f.path(), std::nothrow);
    ASSERT_TRUE(status.ok());
    struct row {
        pexilon::kind kind;
        pexilon::variant variant;
        pexilon::key key;
    };
    const row expected[] = {
        {pexilon::kind::board, pexilon::variant::none, pexilon::key::reg},
        {pexilon::kind::board, pexilon::variant::dev2, pexilon::key::vrcmd},
        {pexilon::kind::board, pexilon::variant::dev3_inf3, pexilon::key::delay},
        {pexilon::kind::register_, pexilon::variant::dev3_inf2, pexilon::key::reg},
    };
    ASSERT_EQ(cfg.entries().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(cfg.entries()[i].kind(), expected[i].kind) << i;
        EXPECT_EQ(cfg.entries()[i].variant(), expected[i].variant) << i;
        EXPECT_EQ(cfg.entries()[i].key(), expected[i].key) << i;
    }
}

// Texts that fill their fields stop at the field's end, not past it.
TEST(CxxViews, TextsAreBoundedByTheirFields)
{
    const std::string type(50, 'T');
    const std::string name(140, 'n');
    const file f("[camera parameter]\nTYPE = " + type +
                 "\n[control parameter]\nCTRL_NAME = " + name + "\nFUNC_NAME = " + name + "\n");
    const auto [cfg, status] = pexilon::load(f.path(), std::nothrow);
    EXPECT_EQ(cfg.camera().type(), type); // all 50 bytes, no terminator in the record
    ASSERT_EQ(cfg.controls().size(), 1U);
    EXPECT_EQ(cfg.controls()[0].name(), name.substr(0, 127));
    EXPECT_EQ(cfg.controls()[0].function(), name.substr(0, 127));
    EXPECT_FALSE(cfg.controls()[0].has_code());
    EXPECT_TRUE(cfg.controls()[0].code().empty());
}

// --- Editor lines and reader lines ----------------------------------------------

struct line_row {
    const char *what;
    std::string text;
    std::size_t reader_line; // what pexilon_parse_config returns
    std::size_t editor_line;
};

std::vector<line_row> line_rows()
{
    const std::string x197(197, 'x');
    return {
        {"short lines", "[camera parameter]\noops\n", 2, 2},
        {"no final newline", "[camera parameter]\noops", 2, 2},
        {"198 bytes and a newline: one piece", "; " + std::string(196, 'x') + "\noops\n", 2, 2},
        {"199 bytes and a newline: two pieces", "; " + x197 + "\noops\n", 3, 2},
        {"a comment read in two pieces", "; " + x197 + "; rest\noops\n", 3, 2},
        {"a comment read in three pieces", "; " + x197 + "; " + x197 + "; end\noops\n", 4, 2},
        {"the second piece is the fault", "; " + x197 + "xyz\n[camera parameter]\n", 2, 1},
        {"carriage returns count", "; " + std::string(196, 'x') + "\r\noops\r\n", 3, 2},
        {"a byte-order mark counts", "\xEF\xBB\xBF; " + std::string(194, 'x') + "\noops\n", 3, 2},
        {"a block open at the end", "[control parameter]\n======CODE_BLOCK_START======\nabc\n", 3,
         3},
    };
}

TEST(CxxLines, EditorLineOfTheReadersLine)
{
    for (const line_row &row : line_rows()) {
        SCOPED_TRACE(row.what);
        const file f(row.text);
        EXPECT_EQ(pexilon::editor_line_in_text(row.text, row.reader_line), row.editor_line);
        EXPECT_EQ(pexilon::editor_line_in_file(f.path().c_str(), row.reader_line), row.editor_line);

        // Counted from the file, then worded by the checker: the same lines.
        const auto plain = pexilon::load(f.path(), std::nothrow);
        EXPECT_EQ(plain.status.fault().reader_line, row.reader_line);
        EXPECT_EQ(plain.status.fault().line, row.editor_line);
        EXPECT_EQ(plain.status.fault().reason, "faulty line");
        const auto checked = pexilon::load(f.path(), std::nothrow, pexilon::checker_reason);
        EXPECT_EQ(checked.status.fault().reader_line, row.reader_line);
        EXPECT_EQ(checked.status.fault().line, row.editor_line);
        EXPECT_NE(checked.status.fault().reason, "faulty line");
        EXPECT_FALSE(checked.status.fault().reason.empty());
    }
}

TEST(CxxLines, AFileThatCannotBeReadAgainKeepsTheReadersCount)
{
    EXPECT_EQ(pexilon::editor_line_in_file("/nonexistent/x.conf", 3), 0U);
    EXPECT_EQ(pexilon::editor_line_in_file(nullptr, 3), 0U);
    EXPECT_EQ(pexilon::editor_line_in_file("/dev/null", 1), 0U); // no regular file
}

#if PEXILON_CXX_EXCEPTIONS
// A FIFO gives its text once: the faulty line is told without the path being
// opened again, which would wait for a second writer.
TEST(CxxLines, AFaultyFifoIsReadOnce)
{
    const std::filesystem::path fifo =
        std::filesystem::temp_directory_path() / ("pexilon-fifo-" + std::to_string(getpid()));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    std::thread writer(
        [&] { std::ofstream(fifo) << "[register parameter]\nREG = 1\nno separator\n"; });
    auto loaded = std::async(std::launch::async, [&] {
        try {
            (void)pexilon::load(fifo.c_str());
        } catch (const pexilon::parse_error &e) {
            return e.line();
        }
        return std::size_t{0};
    });
    const bool ended = loaded.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!ended)
        std::ofstream(fifo) << ""; // let a second open go on, so that the test ends
    writer.join();
    EXPECT_TRUE(ended) << "load() of a FIFO waited for a second writer";
    EXPECT_EQ(loaded.get(), 3U); // the reader's count: a FIFO cannot be read again
    std::filesystem::remove(fifo);
}
#endif

// Past the end: the line after the last complete one, as the checker has it.
TEST(CxxLines, PastTheEndOfTheText)
{
    EXPECT_EQ(pexilon::editor_line_in_text("a\nb\n", 9), 3U);
    EXPECT_EQ(pexilon::editor_line_in_text("a\nb", 9), 2U);
    EXPECT_EQ(pexilon::editor_line_in_text("", 1), 1U);
}

// --- Ownership ----------------------------------------------------------------------

TEST(CxxOwnership, MovesHandOverAndEmptyTheSource)
{
    const file f(two_entries + one_control);
    pexilon::config a = load_clean(f.path());
    const param_entry *params = a.raw().params;
    pexilon::config b(std::move(a));
    EXPECT_EQ(b.raw().params, params);
    EXPECT_EQ(a.raw().params, nullptr); // NOLINT(bugprone-use-after-move): the contract
    EXPECT_TRUE(a.entries().empty() && a.controls().empty());

    pexilon::config c = load_clean(f.path()); // its lists are freed by the assignment
    c = std::move(b);
    EXPECT_EQ(c.raw().params, params);
    EXPECT_EQ(b.raw().controls, nullptr); // NOLINT(bugprone-use-after-move)

    pexilon::config &same = c;
    c = std::move(same); // self-move keeps everything
    EXPECT_EQ(c.raw().params, params);
    EXPECT_EQ(c.controls().size(), 1U);
    EXPECT_EQ(c.controls()[0].code(), "set(v);\n");

    using std::swap;
    swap(a, c);
    EXPECT_EQ(a.entries().size(), 2U);
    EXPECT_TRUE(c.entries().empty());

    parsed_config raw = a.release();
    EXPECT_TRUE(a.entries().empty());
    pexilon::config back = pexilon::config::adopt(raw);
    EXPECT_EQ(back.entries().size(), 2U);
    back.reset();
    EXPECT_EQ(back.raw().params, nullptr);
    back.reset(); // twice is harmless
}

TEST(CxxOwnership, AppendAfterAFaultAndAfterAFileThatCannotBeOpened)
{
    const file good(two_entries + one_control);
    const std::string faulty_text = "[register parameter]\nREG = 9\noops\nREG = 10\n";
    const fs::path faulty = fs::path(testing::TempDir()) /
                            ("cxx_append_faulty_" + std::to_string(::getpid()) + ".conf");
    std::ofstream(faulty, std::ios::binary) << faulty_text;

    pexilon::config cfg = load_clean(good.path());
    const pexilon::status s = cfg.append(faulty, std::nothrow);
    EXPECT_TRUE(s.faulty());
    EXPECT_EQ(s.fault().line, 3U);
    EXPECT_EQ(cfg.entries().size(), 4U); // both of the faulty file's entries appended
#if PEXILON_CXX_EXCEPTIONS
    EXPECT_THROW(cfg.append(faulty), pexilon::parse_error);
#else
    EXPECT_TRUE(cfg.append(faulty, std::nothrow).faulty());
#endif
    EXPECT_EQ(cfg.entries().size(), 6U);

    const pexilon::status missing = cfg.append("/nonexistent/x.conf", std::nothrow);
    EXPECT_TRUE(missing.open_failed());
    EXPECT_EQ(missing.open_error(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(cfg.entries().size(), 6U); // untouched
    EXPECT_TRUE(cfg.append(good.path(), std::nothrow).ok());
    EXPECT_EQ(cfg.entries().size(), 8U);
    EXPECT_EQ(cfg.controls().size(), 2U);
    EXPECT_EQ(cfg.controls()[1].code(), "set(v);\n");
    fs::remove(faulty);
}

#if PEXILON_CXX_EXCEPTIONS
// An exception of the host's own, thrown while it walks the views.
TEST(CxxOwnership, AnExceptionInTheMiddleOfAWalkReleasesEverything)
{
    const file f(two_entries + one_control);
    EXPECT_THROW(
        {
            const pexilon::config cfg = pexilon::load(f.path());
            for (const pexilon::entry e : cfg.entries())
                if (e.values().size() == 1)
                    throw std::runtime_error("host");
        },
        std::runtime_error);
}

#endif

// --- Errors ---------------------------------------------------------------------------

#if PEXILON_CXX_EXCEPTIONS
TEST(CxxErrors, ParseErrorCarriesTheLinesAndTheConfig)
{
    const std::string text =
        "[register parameter]\n; " + std::string(197, 'x') + "; rest\nREG = 1\nDELAY 5\nREG = 2\n";
    const file f(text);
    try {
        (void)pexilon::load(f.path());
        FAIL() << "no parse_error";
    } catch (pexilon::parse_error &e) {
        const std::runtime_error &base = e;
        EXPECT_EQ(std::string(base.what()), f.path().string() + ":4: faulty line");
        EXPECT_EQ(e.path(), f.path().string());
        EXPECT_EQ(e.line(), 4U);
        EXPECT_EQ(e.reader_line(), 5U);
        const pexilon::parse_error copy = e; // copies share the config
        EXPECT_EQ(copy.config().entries().size(), 2U);
        const pexilon::config taken = e.take_config();
        EXPECT_EQ(taken.entries().size(), 2U);
        EXPECT_TRUE(copy.config().entries().empty());
        // Moved from, it stays whole: every accessor may still be called.
        pexilon::parse_error moved = std::move(e);
        EXPECT_EQ(e.path(), f.path().string());
        EXPECT_EQ(e.reader_line(), 5U);
        EXPECT_EQ(e.line(), moved.line());
        EXPECT_EQ(e.reason(), moved.reason());
        EXPECT_TRUE(e.take_config().entries().empty());
        pexilon::parse_error assigned = copy;
        assigned = std::move(moved);
        EXPECT_EQ(moved.path(), assigned.path());
        EXPECT_TRUE(moved.config().entries().empty());
    }
    try {
        (void)pexilon::load(f.path(), pexilon::checker_reason);
        FAIL() << "no parse_error";
    } catch (const pexilon::parse_error &e) {
        EXPECT_EQ(e.line(), 4U);
        EXPECT_NE(e.reason().find("no '='"), std::string::npos) << e.reason();
        EXPECT_EQ(std::string(e.what()), f.path().string() + ":4: " + e.reason());
    }
}

#endif

TEST(CxxErrors, FilesThatCannotBeOpenedThrowTheirErrno)
{
    struct row {
        const char *path;
        int error;
    };
    const fs::path dir = testing::TempDir();
    const row rows[] = {{"/nonexistent/x.conf", ENOENT}, {dir.c_str(), EISDIR}, {nullptr, EINVAL}};
    for (const row &r : rows) {
        SCOPED_TRACE(r.path != nullptr ? r.path : "(null)");
#if PEXILON_CXX_EXCEPTIONS
        try {
            (void)pexilon::load(r.path);
            FAIL() << "no system_error";
        } catch (const pexilon::parse_error &) {
            FAIL() << "parse_error";
        } catch (const std::system_error &e) {
            EXPECT_EQ(e.code(), std::error_code(r.error, std::generic_category()));
        }
#endif
        const auto [cfg, status] = pexilon::load(r.path, std::nothrow);
        EXPECT_EQ(status.open_error(), std::error_code(r.error, std::generic_category()));
        EXPECT_FALSE(status.faulty());
        EXPECT_EQ(cfg.raw().params, nullptr);
    }
}

#if PEXILON_CXX_EXCEPTIONS
// Memory that runs out in the middle of building an error: the allocation
// that fails is the 1st, the 2nd, ... until none fails. Each time either
// std::bad_alloc or the error comes out, and nothing leaks (ASan's leak check).
// The checker's wording falls back to the plain one when it cannot be copied.
TEST(CxxErrors, MemoryRunningOutWhileBuildingAnError)
{
    const file f(two_entries + "oops\n" + one_control);
    for (const pexilon::fault_describer describe :
         {static_cast<pexilon::fault_describer>(nullptr), &pexilon::checker_reason}) {
        std::size_t bad_allocs = 0;
        std::size_t plain_reasons = 0;
        for (int n = 1; n < 100; ++n) {
            SCOPED_TRACE(n);
            std::optional<pexilon::parse_error> error;
            bool struck = false;
            try {
                const pexilon_test::failing_new fail(n);
                try {
                    (void)pexilon::load(f.path(), describe);
                } catch (...) {
                    struck = fail.struck();
                    throw;
                }
            } catch (const std::bad_alloc &) {
                ++bad_allocs;
                continue;
            } catch (const pexilon::parse_error &e) {
                error = e;
            }
            ASSERT_TRUE(error.has_value());
            EXPECT_EQ(error->line(), 4U);
            EXPECT_EQ(error->config().controls().size(), 1U);
            plain_reasons += error->reason() == "faulty line" ? 1U : 0U;
            if (!struck) {
                EXPECT_EQ(error->reason() == "faulty line", describe == nullptr);
                break;
            }
        }
        EXPECT_GT(bad_allocs, 0U);
        if (describe != nullptr) {
            EXPECT_GT(plain_reasons, 0U);
        }
    }
}
#endif

// --- The checker ------------------------------------------------------------------------

struct c_diagnostics {
    std::vector<pexilon::diagnostic> seen;
};

int remember(void *user, const pexilon_check_diagnostic *d)
{
    auto &c = *static_cast<c_diagnostics *>(user);
    pexilon::diagnostic out;
    out.severity = static_cast<pexilon::severity>(d->severity);
    out.name = d->name;
    out.message = d->message;
    out.hint = d->hint != nullptr ? d->hint : "";
    out.line = d->line;
    out.column = d->column;
    out.end_column = d->end_column;
    out.reader_line = d->reader_line;
    out.display_column = d->display.column;
    out.display_end_column = d->display.end_column;
    if (d->source != nullptr)
        out.source.assign(d->source, d->source_length);
    for (std::size_t i = 0; i < d->note_count; ++i)
        out.notes.push_back({d->notes[i].line, d->notes[i].column, d->notes[i].end_column,
                             d->notes[i].message, d->note_display[i].column,
                             d->note_display[i].end_column});
    for (std::size_t i = 0; i < d->fix_count; ++i)
        out.fixes.push_back({d->fixes[i].line, d->fixes[i].column, d->fixes[i].end_column,
                             d->fixes[i].replacement, d->fixes[i].change});
    c.seen.push_back(std::move(out));
    return 0;
}

TEST(CxxCheck, DiagnosticsAgreeWithTheCCallbacks)
{
    std::size_t with_notes = 0;
    std::size_t with_hints = 0;
    std::size_t with_fixes = 0;
    for (const fs::path &path : conf_files()) {
        SCOPED_TRACE(path.string());
        c_diagnostics expected;
        pexilon_check_summary summary{};
        pexilon_check_path(path.c_str(), remember, &expected, &summary);
        const pexilon::check_report report = pexilon::check(path, std::nothrow);
        EXPECT_FALSE(report.error);
        EXPECT_EQ(report.parse_result, summary.parse_result);
        EXPECT_EQ(report.errors, summary.errors);
        EXPECT_EQ(report.warnings, summary.warnings);
        ASSERT_EQ(report.diagnostics.size(), expected.seen.size());
        for (std::size_t i = 0; i < expected.seen.size(); ++i) {
            const pexilon::diagnostic &a = report.diagnostics[i];
            const pexilon::diagnostic &b = expected.seen[i];
            EXPECT_EQ(a.severity, b.severity);
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.message, b.message);
            EXPECT_EQ(a.hint, b.hint);
            EXPECT_EQ(a.line, b.line);
            EXPECT_EQ(a.column, b.column);
            EXPECT_EQ(a.end_column, b.end_column);
            EXPECT_EQ(a.display_column, b.display_column);
            EXPECT_EQ(a.display_end_column, b.display_end_column);
            EXPECT_EQ(a.reader_line, b.reader_line);
            EXPECT_EQ(a.source, b.source);
            ASSERT_EQ(a.notes.size(), b.notes.size());
            for (std::size_t k = 0; k < a.notes.size(); ++k) {
                EXPECT_EQ(a.notes[k].line, b.notes[k].line);
                EXPECT_EQ(a.notes[k].column, b.notes[k].column);
                EXPECT_EQ(a.notes[k].end_column, b.notes[k].end_column);
                EXPECT_EQ(a.notes[k].display_column, b.notes[k].display_column);
                EXPECT_EQ(a.notes[k].message, b.notes[k].message);
            }
            ASSERT_EQ(a.fixes.size(), b.fixes.size());
            for (std::size_t k = 0; k < a.fixes.size(); ++k) {
                EXPECT_EQ(a.fixes[k].line, b.fixes[k].line);
                EXPECT_EQ(a.fixes[k].column, b.fixes[k].column);
                EXPECT_EQ(a.fixes[k].end_column, b.fixes[k].end_column);
                EXPECT_EQ(a.fixes[k].replacement, b.fixes[k].replacement);
                EXPECT_EQ(a.fixes[k].change, b.fixes[k].change);
            }
            with_notes += a.notes.empty() ? 0U : 1U;
            with_hints += a.hint.empty() ? 0U : 1U;
            with_fixes += a.fixes.empty() ? 0U : 1U;
        }
    }
    EXPECT_GT(with_notes, 0U);
    EXPECT_GT(with_hints, 0U);
    EXPECT_GT(with_fixes, 0U);
}

TEST(CxxCheck, SourceLinesKeepTheirNulBytes)
{
    const std::string text("[camera parameter]\nSI\0ZE = 1\n", 29);
    const file f(text);
    const pexilon::check_report report = pexilon::check(f.path(), std::nothrow);
    ASSERT_FALSE(report.diagnostics.empty());
    EXPECT_EQ(report.diagnostics[0].line, 2U);
    EXPECT_EQ(report.diagnostics[0].source, std::string("SI\0ZE = 1", 9));
}

TEST(CxxCheck, FilesThatCannotBeRead)
{
#if PEXILON_CXX_EXCEPTIONS
    EXPECT_THROW((void)pexilon::check("/nonexistent/x.conf"), std::system_error);
#endif
    const pexilon::check_report r = pexilon::check("/nonexistent/x.conf", std::nothrow);
    EXPECT_EQ(r.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(r.parse_result, -1);
    EXPECT_TRUE(r.diagnostics.empty());
}

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The editor line of each entry and control: one per item of the record,
// from a file as from its text.
TEST(CxxSourceLines, OneLinePerEntryAndControl)
{
    for (const fs::path &path : conf_files()) {
        SCOPED_TRACE(path.string());
        auto [cfg, status] = pexilon::load(path, std::nothrow);
        const pexilon::source_lines lines = pexilon::lines_of(path, std::nothrow);
        EXPECT_FALSE(lines.error);
        EXPECT_EQ(lines.parse_result, static_cast<int>(status.fault().reader_line));
        EXPECT_EQ(lines.entries.size(), cfg.entries().size());
        EXPECT_EQ(lines.controls.size(), cfg.controls().size());
        EXPECT_TRUE(std::is_sorted(lines.entries.begin(), lines.entries.end()));
        EXPECT_TRUE(std::all_of(lines.entries.begin(), lines.entries.end(),
                                [](std::size_t line) { return line > 0; }));
        const pexilon::source_lines text = pexilon::lines_of_text(contents(path), std::nothrow);
        EXPECT_EQ(text.entries, lines.entries);
        EXPECT_EQ(text.controls, lines.controls);
    }
}

TEST(CxxSourceLines, TheLinesOfTheSampleAndOfAnAppendedFile)
{
    const fs::path sample = fs::path(PEXILON_EXAMPLES_DIR) / "sample.conf";
    const pexilon::source_lines lines = pexilon::lines_of(sample, std::nothrow);
    ASSERT_EQ(lines.entries.size(), 20U);
    EXPECT_EQ(lines.entries[0], 18U);  // VRCMD under [board parameter]
    EXPECT_EQ(lines.entries[13], 40U); // REG = 0x0340, 0x0C, 0x1C,
    EXPECT_EQ(lines.entries[14], 41U); //       0x0342, 0x31, 0xC4 continues it
    EXPECT_EQ(lines.controls, (std::vector<std::size_t>{53, 66, 79})); // their headers
    // A second file's entries follow the first's; their lines are its own.
    const file more("[register parameter]\n\nREG = 1, 2\n[control parameter]\n");
    auto [cfg, status] = pexilon::load(sample, std::nothrow);
    ASSERT_TRUE(cfg.append(more.path(), std::nothrow).ok());
    const pexilon::source_lines added = pexilon::lines_of(more.path(), std::nothrow);
    EXPECT_EQ(cfg.entries().size(), lines.entries.size() + added.entries.size());
    EXPECT_EQ(added.entries, std::vector<std::size_t>{3});
    EXPECT_EQ(added.controls, std::vector<std::size_t>{4});
}

TEST(CxxSourceLines, FilesThatCannotBeRead)
{
#if PEXILON_CXX_EXCEPTIONS
    EXPECT_THROW((void)pexilon::lines_of("/nonexistent/x.conf"), std::system_error);
    EXPECT_EQ(pexilon::lines_of_text("[control parameter]\n").controls,
              std::vector<std::size_t>{1});
#endif
    const pexilon::source_lines r = pexilon::lines_of("/nonexistent/x.conf", std::nothrow);
    EXPECT_EQ(r.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(r.parse_result, -1);
    EXPECT_TRUE(r.entries.empty() && r.controls.empty());
    EXPECT_EQ(pexilon::lines_of(static_cast<const char *>(nullptr), std::nothrow).error,
              std::errc::invalid_argument);
}

#if PEXILON_CXX_EXCEPTIONS
// Memory that runs out while the lines are copied: the error, and no lines.
TEST(CxxSourceLines, MemoryRunningOut)
{
    const fs::path sample = fs::path(PEXILON_EXAMPLES_DIR) / "sample.conf";
    pexilon::source_lines r;
    {
        const pexilon_test::failing_new fail(1);
        r = pexilon::lines_of(sample, std::nothrow);
    }
    EXPECT_EQ(r.error, std::errc::not_enough_memory);
    EXPECT_TRUE(r.entries.empty() && r.controls.empty());
    const pexilon_test::failing_new fail(1);
    EXPECT_THROW((void)pexilon::lines_of(sample), std::bad_alloc);
}

// Memory that runs out while the diagnostics are copied: the check stops,
// no exception crosses the C library, the throwing form gives bad_alloc and
// the other the diagnostics copied so far; nothing leaks.
TEST(CxxCheck, MemoryRunningOutInTheMiddleOfACheck)
{
    const fs::path path = fs::path(PEXILON_CHECK_DATA_DIR) / "mistakes_realistic.conf";
    const std::size_t all = pexilon::check(path).diagnostics.size();
    ASSERT_GT(all, 1U);
    bool partial = false;
    for (int n = 1;; ++n) {
        SCOPED_TRACE(n);
        pexilon::check_report r;
        {
            const pexilon_test::failing_new fail(n);
            r = pexilon::check(path, std::nothrow);
        }
        if (!r.error) {
            EXPECT_EQ(r.diagnostics.size(), all);
            break;
        }
        EXPECT_EQ(r.error, std::errc::not_enough_memory);
        EXPECT_LT(r.diagnostics.size(), all);
        partial = partial || !r.diagnostics.empty();
        const pexilon_test::failing_new fail(n);
        EXPECT_THROW((void)pexilon::check(path), std::bad_alloc);
    }
    EXPECT_TRUE(partial);
}
#endif

} // namespace
