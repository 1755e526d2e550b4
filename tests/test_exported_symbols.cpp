// The shared object as the dynamic loader and a host see it: one exported
// function, dependencies on the C library alone, and a SONAME.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string library = PEXILON_LIBRARY_FILE;

// PEXILON_SANITIZED_BUILD is set by the build when the library is compiled
// with -fsanitize=...: the sanitizer runtimes then become dependencies, and
// instrumented code refers to their entry points.
#ifdef PEXILON_SANITIZED_BUILD
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

std::vector<std::string> run_lines(const std::string &command)
{
    std::vector<std::string> lines;
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::string line = buffer;
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        lines.push_back(line);
    }
    EXPECT_EQ(::pclose(pipe), 0) << command;
    return lines;
}

bool starts_with_any(const std::string &text, std::initializer_list<const char *> prefixes)
{
    for (const char *prefix : prefixes)
        if (text.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// "name@@VERSION" or "name@VERSION" -> {name, VERSION}
std::pair<std::string, std::string> split_version(const std::string &symbol)
{
    const auto at = symbol.find('@');
    if (at == std::string::npos)
        return {symbol, ""};
    return {symbol.substr(0, at), symbol.substr(symbol.find_first_not_of('@', at))};
}

TEST(ExportedSymbols, OnlyTheParseFunctionIsDefined)
{
    std::vector<std::string> ours;
    for (const std::string &line : run_lines("nm -D --defined-only '" + library + "'")) {
        std::istringstream fields(line);
        std::string address, type, symbol;
        fields >> address >> type >> symbol;
        const auto [name, version] = split_version(symbol);
        // The version script's node is itself an absolute symbol.
        if (type == "A" && name == version)
            continue;
        ours.push_back(name + " (" + type + ")");
    }
    EXPECT_EQ(ours, std::vector<std::string>{"pexilon_parse_config (T)"});
}

// The names the C library that the library is loaded with defines.
std::set<std::string> c_library_names()
{
    std::set<std::string> names;
    for (const std::string &line : run_lines("ldd '" + library + "'")) {
        const auto arrow = line.find("libc.so.6 => ");
        if (arrow == std::string::npos)
            continue;
        std::istringstream rest(line.substr(arrow + 13));
        std::string path;
        rest >> path;
        for (const std::string &symbol : run_lines("nm -D --defined-only '" + path + "'")) {
            std::istringstream fields(symbol);
            std::string address, type, name;
            fields >> address >> type >> name;
            names.insert(split_version(name).first);
        }
    }
    return names;
}

TEST(ExportedSymbols, UndefinedSymbolsComeFromTheCLibrary)
{
    // A sanitizer runtime intercepts C library functions, so in a sanitized
    // build they are bound without a version: they must still be C library
    // names, or entry points of the runtime.
    const std::set<std::string> c_names = sanitized ? c_library_names() : std::set<std::string>{};
    ASSERT_TRUE(!sanitized || c_names.count("malloc") != 0);
    for (const std::string &line : run_lines("nm -D --undefined-only '" + library + "'")) {
        std::istringstream fields(line);
        std::string type, symbol;
        fields >> type >> symbol;
        const auto [name, version] = split_version(symbol);
        if (version.rfind("GLIBC_", 0) == 0 || type == "w")
            continue; // the C library, or weak hooks such as __gmon_start__
        if (sanitized && version.empty() && c_names.count(name) != 0)
            continue;
        if (sanitized && starts_with_any(name, {"__asan_", "__ubsan_", "__tsan_", "__sanitizer_", "__lsan_"}))
            continue;
        ADD_FAILURE() << "undefined symbol not from the C library: " << line;
    }
}

TEST(ExportedSymbols, NeedsOnlyTheCLibraryAndHasASoname)
{
    std::vector<std::string> needed;
    std::string soname;
    for (const std::string &line : run_lines("readelf -d '" + library + "'")) {
        const auto open = line.find('['), close = line.rfind(']');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        const std::string value = line.substr(open + 1, close - open - 1);
        if (line.find("(NEEDED)") != std::string::npos)
            needed.push_back(value);
        else if (line.find("(SONAME)") != std::string::npos)
            soname = value;
    }
    ASSERT_FALSE(needed.empty());
    for (const std::string &name : needed) {
        const bool system = starts_with_any(name, {"libc.so.", "libm.so.", "libgcc_s.so.", "ld-linux-x86-64.so."});
        const bool runtime = sanitized && starts_with_any(name, {"libasan.so.", "libubsan.so.", "libtsan.so.", "liblsan.so."});
        EXPECT_TRUE(system || runtime) << "unexpected dependency " << name;
    }
    EXPECT_NE(std::find(needed.begin(), needed.end(), "libc.so.6"), needed.end());

    // The loader finds the library by its SONAME: lib<name>.so.<ABI version>,
    // which the build puts beside the file.
    ASSERT_EQ(soname.rfind("libpexilon_config_parser.so.", 0), 0u) << soname;
    EXPECT_NE(soname.find_first_of("0123456789"), std::string::npos);
    EXPECT_EQ(soname.find_first_not_of("0123456789", sizeof "libpexilon_config_parser.so." - 1), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(library).parent_path() / soname)) << soname;
}

} // namespace
