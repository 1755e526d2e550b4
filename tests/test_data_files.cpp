// Every file in the test data directory is parsed, and its result compared
// with the one its name carries: "ok_..." parses with 0, a name containing
// "fail_<n>" reports line n.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/parse_config.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using pexilon_test::record;

std::vector<std::string> data_files()
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(PEXILON_TEST_DATA_DIR))
        if (entry.is_regular_file() && entry.path().extension() == ".conf")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The result a file's name promises, or nothing for a name without one.
std::optional<int> expected_result(const std::string &name)
{
    if (name.rfind("ok_", 0) == 0)
        return 0;
    const auto at = name.find("fail_");
    if (at == std::string::npos)
        return std::nullopt;
    const std::size_t digits = at + 5;
    std::size_t end = digits;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end])))
        ++end;
    if (end == digits)
        return std::nullopt;
    return std::stoi(name.substr(digits, end - digits));
}

std::string path_of(const std::string &name)
{
    return std::string(PEXILON_TEST_DATA_DIR) + "/" + name + ".conf";
}

std::string contents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DataFile : public ::testing::TestWithParam<std::string> {};

TEST_P(DataFile, ResultMatchesItsName)
{
    const std::string &name = GetParam();
    const auto expected = expected_result(name);
    ASSERT_TRUE(expected.has_value()) << name << ": the name carries no result";
    const std::string path = path_of(name);

    record config;
    EXPECT_EQ(pexilon_parse_config(path.c_str(), &config), *expected);
    const std::uint32_t params = config.param_count, controls = config.control_count;
    for (std::uint32_t i = 0; i < controls; ++i) {
        EXPECT_NE(std::memchr(config.controls[i].ctrl_name, '\0', 128), nullptr);
        EXPECT_NE(std::memchr(config.controls[i].func_name, '\0', 128), nullptr);
    }
    for (std::uint32_t i = 0; i < params; ++i)
        EXPECT_LE(config.params[i].value_count, 16);

    // The same bytes from memory give the same result and the same lists.
    const std::string text = contents(path);
    ASSERT_EQ(text.find('\0'), std::string::npos);
    record from_memory;
    EXPECT_EQ(pexilon::parse_config_bytes(text.data(), text.size(), &from_memory).outcome.line,
              *expected);
    EXPECT_EQ(std::memcmp(&from_memory.camera, &config.camera, sizeof config.camera), 0);
    EXPECT_EQ(from_memory.param_count, params);
    EXPECT_EQ(from_memory.control_count, controls);

    // A second parse into the same record appends the same entries again.
    EXPECT_EQ(pexilon_parse_config(path.c_str(), &config), *expected);
    EXPECT_EQ(config.param_count, 2 * params);
    EXPECT_EQ(config.control_count, 2 * controls);
    for (std::uint32_t i = 0; i < params; ++i)
        EXPECT_EQ(std::memcmp(&config.params[i], &config.params[params + i], sizeof(param_entry)),
                  0)
            << "entry " << i;

    // A null record refuses every handler call, so its first fault can only
    // come earlier.
    const int null_result = pexilon_parse_config(path.c_str(), nullptr);
    if (params + controls > 0) {
        EXPECT_GT(null_result, 0);
    }
    if (*expected > 0) {
        EXPECT_LE(null_result, *expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DataFile, ::testing::ValuesIn(data_files()),
                         [](const auto &info) { return info.param; });

TEST(DataFiles, DirectoryHoldsEnoughCases)
{
    const auto names = data_files();
    EXPECT_GE(names.size(), 10u);
    const auto failing = std::count_if(names.begin(), names.end(), [](const std::string &n) {
        return expected_result(n).value_or(0) > 0;
    });
    EXPECT_GE(failing, 5);
}

} // namespace
