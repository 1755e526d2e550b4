// The section "camera parameter": every key, through a file and from memory.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "config/parse_config.h"
#include "support/parse_both_ways.h"

namespace {

using pexilon_test::record;
using pexilon_test::temp_file;

using pexilon_test::both;
using pexilon_test::parse;
using pexilon_test::via;

using pexilon_test::name;

// A record whose camera fields hold values that no case below produces.
void preset(parsed_config &config)
{
    config.camera.cfg_mode = 0x11111111;
    std::memset(config.camera.type, '#', sizeof config.camera.type);
    config.camera.width = 1111;
    config.camera.height = 2222;
    config.camera.bit_width = 33;
    config.camera.format = 0x4444;
    config.camera.i2c_mode = 55;
    config.camera.i2c_addr = 0x6666;
    config.camera.trans_lvl = 77777;
}

using field_fn = std::uint64_t (*)(const camera_settings &);
#define FIELD(f) [](const camera_settings &c) -> std::uint64_t { return c.f; }

struct key_case {
    const char *lines; // under a "camera parameter" header
    field_fn field;
    std::uint64_t expected;
    int result = 0;
};

// clang-format off
const key_case key_cases[] = {
    {"CFG_MODE=3", FIELD(cfg_mode), 3},
    {"CFG_MODE = 0xFFFFFFFF", FIELD(cfg_mode), 0xFFFFFFFF},
    {"CFG_MODE=010", FIELD(cfg_mode), 10},
    {"TRANS_LVL : -1", FIELD(trans_lvl), 0xFFFFFFFF},
    {"TRANS_LVL=4294967298", FIELD(trans_lvl), 2},
    {"BIT_WIDTH=10", FIELD(bit_width), 10},
    {"BIT_WIDTH=511", FIELD(bit_width), 255},
    {"BIT_WIDTH=0x1FF", FIELD(bit_width), 255},
    {"I2C_MODE=0x102", FIELD(i2c_mode), 2},
    {"I2C_ADDR=0x36", FIELD(i2c_addr), 0x36},
    {"I2C_ADDR=0x12345", FIELD(i2c_addr), 0x2345},
    {"I2C_ADDR=-1", FIELD(i2c_addr), 0xFFFF},
    {"SIZE=1920,1080", FIELD(width), 1920},
    {"SIZE=1920,1080", FIELD(height), 1080},
    {"SIZE= 0x780 , 0x438 ", FIELD(height), 1080},
    {"SIZE=,640,,480,", FIELD(width), 640},
    {"SIZE=640", FIELD(width), 1111},          // one number: nothing changes
    {"SIZE=640", FIELD(height), 2222},
    {"SIZE=640,480,1", FIELD(width), 1111},    // three numbers: nothing changes
    {"SIZE=", FIELD(height), 2222},
    {"SIZE=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", FIELD(width), 1111, 2},
    {"FORMAT=1,2", FIELD(format), 258},
    {"FORMAT=1", FIELD(format), 256},
    {"FORMAT=511,16", FIELD(format), 255 * 256 + 16},
    {"FORMAT=0,0x1FF", FIELD(format), 0x1FF},  // the second number is not masked
    {"FORMAT=0x12,0x34", FIELD(format), 0x1234},
    {"FORMAT=1,2,3", FIELD(format), 0x4444},
    {"FORMAT=", FIELD(format), 0x4444},
    {"FORMAT=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", FIELD(format), 0x4444, 2},
    // Keys are case-sensitive and compared whole.
    {"size=1,2", FIELD(width), 1111},
    {"Bit_Width=8", FIELD(bit_width), 33},
    {"SIZE_=1,2", FIELD(width), 1111},
    // A later line overwrites an earlier one.
    {"CFG_MODE=1\nCFG_MODE=2", FIELD(cfg_mode), 2},
    // A continuation line repeats the previous key.
    {"SIZE=1,2\n  640,480", FIELD(width), 640},
    {"I2C_ADDR=1\n  0x20", FIELD(i2c_addr), 0x20},
    // Lines of other sections are ignored; the section can be opened again.
    {"[x]\nSIZE=1,2\n[camera parameter]\nBIT_WIDTH=8", FIELD(width), 1111},
    {"SIZE=1,2\n[register parameter]\nSIZE=5,6\n[camera parameter]\nSIZE=3,4", FIELD(width), 3},
    // A code block under the camera section changes nothing.
    {"======CODE_BLOCK_START======\nCFG_MODE=9\n======CODE_BLOCK_END======", FIELD(cfg_mode),
     0x11111111},
};
// clang-format on

TEST(CameraKeys, Table)
{
    for (const via how : both)
        for (const auto &c : key_cases) {
            record config;
            preset(config);
            const std::string text = std::string("[camera parameter]\n") + c.lines + "\n";
            EXPECT_EQ(parse(how, text, &config), c.result) << name(how) << ": " << c.lines;
            EXPECT_EQ(c.field(config.camera), c.expected) << name(how) << ": " << c.lines;
            EXPECT_EQ(config.param_count, 0u);
            EXPECT_EQ(config.control_count, 0u);
        }
}

TEST(CameraKeys, OneKeyTouchesOnlyItsField)
{
    for (const via how : both) {
        record config;
        preset(config);
        camera_settings expected = config.camera;
        expected.width = 640;
        expected.height = 480;
        EXPECT_EQ(parse(how, "[camera parameter]\nSIZE=640,480\n", &config), 0);
        EXPECT_EQ(std::memcmp(&config.camera, &expected, sizeof expected), 0) << name(how);
    }
}

// TYPE: a bounded copy of 50 characters, zero-filled after a shorter text.
TEST(CameraKeys, TypeField)
{
    const std::string s49(49, 'a'), s50(50, 'b'), s60 = std::string(50, 'c') + "0123456789";
    struct {
        std::string lines;
        std::string expected; // all 50 bytes of the field
    } cases[] = {
        {"TYPE=" + s49, s49 + '\0'},
        {"TYPE=" + s50, s50},
        {"TYPE=" + s60, std::string(50, 'c')},
        {"TYPE=" + s60 + "\nTYPE=ab", "ab" + std::string(48, '\0')},
        {"TYPE=", std::string(50, '\0')},
        {"TYPE = two  words ; comment", "two  words" + std::string(40, '\0')},
        {"TYPE=a;b", "a;b" + std::string(47, '\0')},
    };
    for (const via how : both)
        for (const auto &c : cases) {
            record config;
            preset(config);
            EXPECT_EQ(parse(how, "[camera parameter]\n" + c.lines + "\n", &config), 0);
            ASSERT_EQ(c.expected.size(), sizeof config.camera.type);
            EXPECT_EQ(std::string(config.camera.type, sizeof config.camera.type), c.expected)
                << name(how) << ": " << c.lines;
            EXPECT_EQ(config.camera.width, 1111u) << "TYPE spilled into width";
        }
}

// Only the exact section name leads to the camera settings.
TEST(CameraKeys, OtherSectionNamesAreIgnored)
{
    // clang-format off
    const char *headers[] = {
        "[camera parameter ]", "[ camera parameter]", "[Camera Parameter]", "[CAMERA PARAMETER]",
        "[camera  parameter]", "[camera parameter][dev2]", "[board parameter]",
        "[control parameter]", "[]",
    };
    // clang-format on
    for (const via how : both)
        for (const char *header : headers) {
            record config;
            const std::string text = std::string(header) + "\nSIZE=640,480\nBIT_WIDTH=8\n";
            EXPECT_EQ(parse(how, text, &config), 0) << header;
            EXPECT_EQ(config.camera.width, 0u) << header;
            EXPECT_EQ(config.camera.bit_width, 0) << header;
            EXPECT_EQ(config.params, nullptr) << header;
        }
}

TEST(CameraKeys, TooManyNumbersIsReportedAsRejected)
{
    record config;
    const std::string text = "[camera parameter]\nSIZE=1,2\nSIZE=" + std::string(17 * 2, ',') +
                             "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\nBIT_WIDTH=8\n";
    const auto report = pexilon::parse_config_bytes(text.data(), text.size(), &config);
    EXPECT_EQ(report.outcome.line, 3);
    EXPECT_EQ(report.outcome.kind, pexilon::fault::rejected);
    EXPECT_EQ(report.reason, pexilon::reject_reason::too_many_values);
    EXPECT_EQ(config.camera.width, 1u);
    EXPECT_EQ(config.camera.bit_width, 8); // the rest of the file still applies
}

} // namespace
