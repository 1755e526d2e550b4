// The diagnostic dump: exact bytes on each of the two streams.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dump/config_dump.h"

namespace {

// A temporary stdio stream whose whole contents can be read back.
class capture {
public:
    capture() : file_(std::tmpfile()) { EXPECT_NE(file_, nullptr); }
    ~capture() { std::fclose(file_); }
    capture(const capture &) = delete;
    capture &operator=(const capture &) = delete;

    std::FILE *file() const { return file_; }
    std::string text() const
    {
        std::fflush(file_);
        std::rewind(file_);
        std::string all;
        char chunk[256];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file_)) > 0)
            all.append(chunk, n);
        return all;
    }

private:
    std::FILE *file_;
};

param_entry entry(std::uint32_t type, std::vector<std::uint32_t> values)
{
    param_entry e{};
    e.type = type;
    for (std::size_t i = 0; i < values.size(); ++i)
        e.values[i] = values[i];
    e.value_count = static_cast<std::uint8_t>(values.size());
    return e;
}

struct param_case {
    const char *what;
    std::vector<param_entry> entries;
    const char *out; // the numbers
    const char *err; // the group headers
};

TEST(ConfigDump, ParamEntries)
{
    // clang-format off
    const param_case cases[] = {
        {"empty list", {}, "", ""},
        {"one group shares one header",
         {entry(0x03000001, {0x0103, 0x01}), entry(0x03000003, {5})},
         "0x0103 0x0001 \n0x0005 \n", "[0x0300]\n"},
        {"entry without values prints an empty line",
         {entry(0x02000002, {}), entry(0x02000001, {1})}, "\n0x0001 \n", "[0x0200]\n"},
        {"variant starts a new group, returning prints the header again",
         {entry(0x03000001, {1}), entry(0x02040001, {2}), entry(0x03000001, {3})},
         "0x0001 \n0x0002 \n0x0003 \n", "[0x0300]\n[0x0204]\n[0x0300]\n"},
        {"wide values print in full",
         {entry(0x02030001, {0x10000, 0xFFFFFFFF, 0xABCDE, 0})},
         "0x10000 0xFFFFFFFF 0xABCDE 0x0000 \n", "[0x0203]\n"},
        {"sixteen values",
         {entry(0x03030001, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})},
         "0x0000 0x0001 0x0002 0x0003 0x0004 0x0005 0x0006 0x0007 0x0008 0x0009 0x000A "
         "0x000B 0x000C 0x000D 0x000E 0x000F \n",
         "[0x0303]\n"},
        {"group 0 equals the starting group: no header",
         {entry(0x00000001, {7}), entry(0x02020001, {8})}, "0x0007 \n0x0008 \n", "[0x0202]\n"},
    };
    // clang-format on
    for (const param_case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<param_entry> entries = c.entries;
        parsed_config config{};
        config.params = entries.empty() ? nullptr : entries.data();
        config.param_count = static_cast<std::uint32_t>(entries.size());
        capture out, err;
        pexilon::dump_param_entries(&config, out.file(), err.file());
        EXPECT_EQ(out.text(), c.out);
        EXPECT_EQ(err.text(), c.err);
    }
}

TEST(ConfigDump, ParamEntriesBeyondCountAreNotPrinted)
{
    param_entry entries[2] = {entry(0x03000001, {1}), entry(0x02000001, {2})};
    parsed_config config{};
    config.params = entries;
    config.param_count = 1;
    capture out, err;
    pexilon::dump_param_entries(&config, out.file(), err.file());
    EXPECT_EQ(out.text(), "0x0001 \n");
    EXPECT_EQ(err.text(), "[0x0300]\n");
}

TEST(ConfigDump, CameraSettings)
{
    parsed_config config{};
    camera_settings &camera = config.camera;
    camera.cfg_mode = 1;
    std::strcpy(camera.type, "IMX477 12.3MP");
    camera.width = 4056;
    camera.height = 3040;
    camera.bit_width = 255;
    camera.format = 0x012C;
    camera.i2c_mode = 2;
    camera.i2c_addr = 0xFFFF;
    camera.trans_lvl = 64;
    capture err;
    pexilon::dump_camera_settings(&config, err.file());
    EXPECT_EQ(err.text(), "CFG_MODE : 1\n"
                          "TYPE     : IMX477 12.3MP\n"
                          "WIDTH    : 4056\n"
                          "HEIGHT   : 3040\n"
                          "BIT_WIDTH: 255\n"
                          "FORMAT   : 0x12C\n"
                          "I2C_MODE : 2\n"
                          "I2C_ADDR : 65535\n"
                          "TRANS_LVL: 64\n");
}

TEST(ConfigDump, CameraFullTypeAndTopBitFields)
{
    parsed_config config{};
    camera_settings &camera = config.camera;
    camera.cfg_mode = 0x80000000u;
    std::memset(camera.type, 'T', sizeof camera.type); // no terminator
    camera.width = 0xFFFFFFFFu;                        // the bytes after type: must not be printed
    camera.height = 0xFFFFFFFEu;
    camera.format = 5;
    camera.trans_lvl = 0x80000001u;
    capture err;
    pexilon::dump_camera_settings(&config, err.file());
    EXPECT_EQ(err.text(), "CFG_MODE : -2147483648\n"
                          "TYPE     : " +
                              std::string(50, 'T') +
                              "\n"
                              "WIDTH    : -1\n"
                              "HEIGHT   : -2\n"
                              "BIT_WIDTH: 0\n"
                              "FORMAT   : 0x05\n"
                              "I2C_MODE : 0\n"
                              "I2C_ADDR : 0\n"
                              "TRANS_LVL: -2147483647\n");
}

TEST(ConfigDump, Controls)
{
    char code[] = "write(0x0202, value)\n";
    control_entry controls[2] = {};
    controls[0].min_value = INT64_MIN;
    controls[0].max_value = INT64_C(5000000000);
    controls[0].step = INT32_MIN;
    controls[0].def = -1;
    controls[0].reserved = 77; // never printed
    std::strcpy(controls[0].ctrl_name, "Exposure");
    std::strcpy(controls[0].func_name, "set_exposure");
    controls[0].code = code;
    controls[1].step = 2; // names empty, code null
    parsed_config config{};
    config.controls = controls;
    config.control_count = 2;
    capture err;
    pexilon::dump_controls(&config, err.file());
    EXPECT_EQ(err.text(), "MIN_VALUE  = -9223372036854775808\n"
                          "MAX_VALUE  = 5000000000\n"
                          "STEP       = -2147483648\n"
                          "DEF        = -1\n"
                          "CTRL_NAME\t= Exposure\n"
                          "FUNC_NAME\t= set_exposure\n"
                          "write(0x0202, value)\n\n"
                          "MIN_VALUE  = 0\n"
                          "MAX_VALUE  = 0\n"
                          "STEP       = 2\n"
                          "DEF        = 0\n"
                          "CTRL_NAME\t= \n"
                          "FUNC_NAME\t= \n"
                          "(null)\n");
}

TEST(ConfigDump, EmptyListsPrintNothing)
{
    param_entry spare[1] = {entry(0x03000001, {1})};
    control_entry spare_control[1] = {};
    parsed_config with_room{}; // arrays present, counts 0
    with_room.params = spare;
    with_room.controls = spare_control;
    const parsed_config none{};
    for (const parsed_config *config : {&none, static_cast<const parsed_config *>(&with_room)}) {
        capture out, err;
        pexilon::dump_param_entries(config, out.file(), err.file());
        pexilon::dump_controls(config, err.file());
        EXPECT_EQ(out.text(), "");
        EXPECT_EQ(err.text(), "");
    }
}

} // namespace
