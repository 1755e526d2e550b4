// The registry of diagnostics (src/check/diagnostic_kinds.h) against what
// the checker draws, the data files of tests/check and the lists written
// out by hand: none of them may fall behind the one table.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "check/checker.h"

namespace {

namespace fs = std::filesystem;
using pexilon::check::diag_id;
using pexilon::check::diagnostic_kind;

// Drawn only by an input that fails as it is read or stored, which no data
// file can be: test_checker's read-error rows and test_alloc_failure draw
// them.
const std::set<std::string> drawn_by_no_file = {"read-error", "no-memory"};

std::string read_file(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

fs::path data_file(std::string_view name, std::string_view suffix)
{
    return fs::path(PEXILON_CHECK_DATA_DIR) / (std::string(name) + std::string(suffix));
}

std::vector<fs::path> inputs()
{
    std::vector<fs::path> paths;
    for (const char *dir : {PEXILON_FUZZ_CORPUS_DIR, PEXILON_TEST_DATA_DIR, PEXILON_CHECK_DATA_DIR})
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().extension() == ".conf")
                paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

// Each row is at the place of its identifier, under a name of its own, and
// has tests/check/NAME.conf, which draws it, with its output in every form.
TEST(DiagnosticRegistry, EveryRowHasItsDataFile)
{
    std::set<std::string_view> names;
    for (const diagnostic_kind &kind : pexilon::check::diagnostic_kinds()) {
        SCOPED_TRACE(std::string(kind.name));
        EXPECT_EQ(&pexilon::check::kind_of(kind.id), &kind);
        EXPECT_TRUE(names.insert(kind.name).second);
        EXPECT_EQ(pexilon::check::find_kind(kind.name), &kind);
        if (drawn_by_no_file.count(std::string(kind.name)) != 0)
            continue;
        for (const char *suffix : {".conf", ".text", ".gcc", ".json", ".sarif"})
            EXPECT_TRUE(fs::exists(data_file(kind.name, suffix))) << suffix;
        bool drawn = false;
        pexilon::check::check_text(read_file(data_file(kind.name, ".conf")),
                                   [&](const pexilon::check::diagnostic &d) {
                                       drawn = drawn || d.id == kind.id;
                                       return true;
                                   });
        EXPECT_TRUE(drawn);
    }
}

// Whatever the checker draws has its row, whose name and severity it
// carries, and its data file.
TEST(DiagnosticRegistry, EveryDiagnosticDrawnHasItsRowAndDataFile)
{
    std::set<diag_id> seen;
    for (const fs::path &path : inputs()) {
        SCOPED_TRACE(path.string());
        pexilon::check::check_text(read_file(path), [&](const pexilon::check::diagnostic &d) {
            const auto index = static_cast<std::size_t>(d.id);
            EXPECT_LT(index, pexilon::check::diagnostic_kinds().size());
            if (index >= pexilon::check::diagnostic_kinds().size())
                return true;
            const diagnostic_kind &kind = pexilon::check::kind_of(d.id);
            EXPECT_EQ(d.name(), kind.name);
            EXPECT_EQ(d.severity, kind.severity);
            if (seen.insert(d.id).second && drawn_by_no_file.count(std::string(d.name())) == 0) {
                EXPECT_TRUE(fs::exists(data_file(d.name(), ".conf"))) << d.name();
            }
            return true;
        });
    }
    EXPECT_GT(seen.size(), 20u);
}

// doc/check.md names every error in its paragraph, in the registry's order,
// and every warning in its table.
TEST(DiagnosticRegistry, CheckPageListsEveryDiagnostic)
{
    const std::string page = read_file(fs::path(PEXILON_TEST_DATA_DIR) / "../../doc/check.md");
    const std::size_t begin = page.find("The errors are the library's own: ");
    ASSERT_NE(begin, std::string::npos);
    const std::string errors = page.substr(begin, page.find(';', begin) - begin);
    std::vector<std::string> listed_errors;
    const std::regex quoted("`([a-z-]+)`");
    for (auto it = std::sregex_iterator(errors.begin(), errors.end(), quoted);
         it != std::sregex_iterator(); ++it)
        listed_errors.push_back((*it)[1]);
    const std::size_t table_begin = page.find("The warnings:\n", begin);
    ASSERT_NE(table_begin, std::string::npos);
    const std::string rows = page.substr(
        table_begin, page.find("\n\n", page.find("| name |", table_begin)) - table_begin);
    std::set<std::string> table;
    const std::regex row("\n\\| `([a-z-]+)` \\|");
    for (auto it = std::sregex_iterator(rows.begin(), rows.end(), row);
         it != std::sregex_iterator(); ++it)
        table.insert((*it)[1]);
    EXPECT_GT(table.size(), 20u);
    std::vector<std::string> want_errors;
    std::set<std::string> want_warnings;
    for (const diagnostic_kind &kind : pexilon::check::diagnostic_kinds()) {
        if (kind.severity == PEXILON_CHECK_ERROR)
            want_errors.emplace_back(kind.name);
        else
            want_warnings.emplace(kind.name);
    }
    EXPECT_EQ(listed_errors, want_errors);
    EXPECT_EQ(table, want_warnings);
}

namespace {

// The diagnostics that carry a fix-it somewhere in the data files' text
// outputs: a "= fix-it:" line belongs to the diagnostic above it.
std::set<std::string> fixed_in_data_files()
{
    std::set<std::string> out;
    const std::regex named(R"(: (?:warning|error): .*\[(?:-W)?([a-z-]+)\]$)");
    for (const auto &entry : fs::directory_iterator(PEXILON_CHECK_DATA_DIR)) {
        if (entry.path().extension() != ".text")
            continue;
        std::istringstream lines(read_file(entry.path()));
        std::string line, last;
        std::smatch m;
        while (std::getline(lines, line)) {
            if (std::regex_search(line, m, named))
                last = m[1];
            else if (line.find(" = fix-it: ") != std::string::npos && !last.empty())
                out.insert(last);
        }
    }
    return out;
}

} // namespace

// The table of fix-its in doc/check.md names as having one exactly the
// diagnostics that the data files show with one.
TEST(DiagnosticRegistry, FixItTableNamesTheDiagnosticsThatHaveThem)
{
    const std::string page = read_file(fs::path(PEXILON_TEST_DATA_DIR) / "../../doc/check.md");
    const std::size_t begin = page.find("Which warnings have fix-its:\n");
    ASSERT_NE(begin, std::string::npos);
    const std::string rows = page.substr(begin, page.find("\n\n", begin + 30) - begin);
    std::set<std::string> tabled;
    const std::regex row(R"(\n\| ([^|]*) \| ([^|]*) \|)");
    const std::regex quoted("`([a-z-]+)`");
    for (auto it = std::sregex_iterator(rows.begin(), rows.end(), row);
         it != std::sregex_iterator(); ++it) {
        const std::string names = (*it)[1], fix = (*it)[2];
        if (fix == "none" || fix == "fix-it" || fix == "---")
            continue;
        for (auto q = std::sregex_iterator(names.begin(), names.end(), quoted);
             q != std::sregex_iterator(); ++q)
            tabled.insert((*q)[1]);
    }
    for (const std::string &name : tabled)
        EXPECT_NE(pexilon::check::find_kind(name), nullptr) << name;
    EXPECT_EQ(tabled, fixed_in_data_files());
}
