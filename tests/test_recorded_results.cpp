// Regression guard for the reader's speed work: pexilon_parse_config must give
// the same result and the same record, byte for byte, as the release it
// replaces. tests/data/results_of_generated_files.txt holds, for generated
// files and for every file of the fuzz corpus, the result and a digest of the
// record that release produced; any change of behaviour changes one of them.
//
// To record afresh (only when a change of behaviour is intended):
//   PEXILON_RECORD_RESULTS=tests/data/results_of_generated_files.txt test_recorded_results
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace {

// splitmix64: the same sequence on every platform (the standard
// distributions are not).
struct random_source {
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
};

const char *const headers[] = {
    "[camera parameter]",
    "[control parameter]",
    "[board parameter]",
    "[board parameter][dev2]",
    "[board parameter][dev3][inf2]",
    "[register parameter][dev3][inf3]",
    "[register parameter]",
    "[register parameter][dev3",
    "[ control parameter ]",
    "[x] ; c",
    "[open",
    "[a]]b]",
};
const char *const names[] = {
    "REG",       "DELAY",    "VRCMD",     "reg",       "REGX",     "RE",   "MIN_VALUE", "MAX_VALUE",
    "STEP",      "DEF",      "CTRL_NAME", "FUNC_NAME", "CFG_MODE", "TYPE", "SIZE",      "FORMAT",
    "BIT_WIDTH", "I2C_MODE", "I2C_ADDR",  "TRANS_LVL", "",         "a;b",  "x//y",      "\xC3\xA9",
};
const char *const numbers[] = {
    "0",
    "1",
    "-1",
    "+7",
    "0x",
    "0x1g",
    "0X7FFFFFFF",
    "0xffffffffffffffff",
    "0x10000000000000000",
    "9223372036854775807",
    "9223372036854775808",
    "-9223372036854775808",
    "-9223372036854775809",
    "18446744073709551616",
    "99999999999999999999999",
    "00012",
    "0000000000000000000000000000001",
    "0x00000000000000000000001",
    "12abc",
    "-0x10",
    " 5",
    "\t0x3F",
    "4294967296",
    "1e3",
    "",
    "-",
    "0x7fffffffffffffff0",
};
const char *const white[] = {"", " ", "  ", "\t", "\v", "\f", "\r", " \t "};
const char *const comments[] = {" ; c", " // c", ";glued", "//glued", "\t;tab", " ;", ""};
const char *const others[] = {
    "======CODE_BLOCK_START======",
    "======code_block_end======",
    "======CODE_BLOCK_END======",
    "  reg_write(1, 2); // x",
    "; comment",
    "# comment",
    "// comment",
    "no separator",
    "= value only",
    "\xEF\xBB\xBF"
    "REG = 1",
    "\xFF\xFE",
};

template <std::size_t N>
const char *pick(random_source &r, const char *const (&list)[N])
{
    return list[r.below(N)];
}

std::string number_list(random_source &r)
{
    std::string text;
    const std::size_t count = r.below(20);
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0)
            text += r.below(8) == 0 ? ",," : r.below(2) == 0 ? ", " : ",";
        text += pick(r, white);
        text += pick(r, numbers);
    }
    return text;
}

std::string generated_line(random_source &r)
{
    std::string line = r.below(6) == 0 ? pick(r, white) : "";
    switch (r.below(10)) {
    case 0:
        line += pick(r, headers);
        break;
    case 1:
        line += pick(r, others);
        break;
    case 2:
        line += std::string(150 + r.below(300), "xv ;/"[r.below(5)]); // split into pieces
        break;
    case 3:
        line.push_back(static_cast<char>(r.below(256))); // any byte, NUL included
        line += pick(r, names);
        break;
    default:
        line += pick(r, names);
        line += pick(r, white);
        line += "=:="[r.below(3)];
        line += pick(r, white);
        line +=
            r.below(5) == 0 ? std::string("Name ") + std::to_string(r.below(1000)) : number_list(r);
        line += pick(r, comments);
        break;
    }
    line += pick(r, white);
    line += r.below(10) == 0 ? "\r\n" : "\n";
    return line;
}

// Small files mostly; every tenth has 600 to 2100 lines, and the longest of
// them run past the reader's 64 KB block, so that lines and pieces straddle
// its edge at many offsets.
std::string generated_file(std::uint64_t seed)
{
    random_source r{seed};
    const std::size_t lines = seed % 10 == 0 ? 600 + r.below(1500) : r.below(60);
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) {
        // A file often starts with, and every so often changes, a section.
        if (i % 20 == 0 && r.below(5) != 0)
            text += std::string(headers[r.below(7)]) + '\n';
        text += generated_line(r);
    }
    if (!text.empty() && r.below(4) == 0)
        text.pop_back();
    return text;
}

// FNV-1a over every meaningful byte of the record: all fields, the whole
// name arrays and all 16 values of an entry (unused ones must stay 0), the
// code texts; padding and pointers are left out.
struct digest {
    std::uint64_t value = 0xcbf29ce484222325ull;
    void add(const void *data, std::size_t size)
    {
        const auto *p = static_cast<const unsigned char *>(data);
        for (std::size_t i = 0; i < size; ++i)
            value = (value ^ p[i]) * 0x100000001b3ull;
    }
    template <typename T>
    void add(const T &field)
    {
        add(&field, sizeof field);
    }
};

std::uint64_t record_digest(const parsed_config &c)
{
    digest d;
    const camera_settings &k = c.camera;
    d.add(k.cfg_mode), d.add(k.type), d.add(k.width), d.add(k.height), d.add(k.bit_width);
    d.add(k.format), d.add(k.i2c_mode), d.add(k.i2c_addr), d.add(k.trans_lvl);
    d.add(c.param_count), d.add(c.control_count);
    for (std::uint32_t i = 0; i < c.param_count; ++i)
        d.add(c.params[i].type), d.add(c.params[i].values), d.add(c.params[i].value_count);
    for (std::uint32_t i = 0; i < c.control_count; ++i) {
        const control_entry &e = c.controls[i];
        d.add(e.min_value), d.add(e.max_value), d.add(e.step), d.add(e.def), d.add(e.reserved);
        d.add(e.ctrl_name), d.add(e.func_name);
        if (e.code != nullptr)
            d.add(e.code, std::strlen(e.code) + 1);
    }
    return d.value;
}

std::string result_of(const std::string &bytes)
{
    pexilon_test::temp_file file(bytes);
    pexilon_test::record config;
    const int status = pexilon_parse_config(file.path(), &config);
    std::ostringstream out;
    out << status << ' ' << std::hex << record_digest(config);
    return out.str();
}

constexpr std::uint64_t generated_count = 600;

// Every case by name: "generated/N" and "corpus/FILE".
std::map<std::string, std::string> current_results()
{
    std::map<std::string, std::string> results;
    for (std::uint64_t seed = 0; seed < generated_count; ++seed)
        results["generated/" + std::to_string(seed)] = result_of(generated_file(seed));
    namespace fs = std::filesystem;
    for (const auto &entry : fs::directory_iterator(PEXILON_FUZZ_CORPUS_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        results["corpus/" + entry.path().filename().string()] = result_of(bytes);
    }
    return results;
}

} // namespace

TEST(RecordedResults, GeneratedFilesAndCorpusGiveTheRecordedRecords)
{
    const std::map<std::string, std::string> now = current_results();
    if (const char *out = std::getenv("PEXILON_RECORD_RESULTS")) {
        std::ofstream file(out);
        for (const auto &[name, result] : now)
            file << name << ' ' << result << '\n';
        ASSERT_TRUE(file.good()) << out;
        GTEST_SKIP() << "recorded " << now.size() << " results to " << out;
    }
    std::ifstream file(PEXILON_TEST_DATA_DIR "/results_of_generated_files.txt");
    ASSERT_TRUE(file.is_open());
    std::map<std::string, std::string> recorded;
    for (std::string name, status, hash; file >> name >> status >> hash;)
        recorded[name] = status + ' ' + hash;
    ASSERT_EQ(recorded.size(), now.size()) << "cases added or removed: record afresh";
    for (const auto &[name, result] : now)
        EXPECT_EQ(result, recorded[name]) << name;
}
