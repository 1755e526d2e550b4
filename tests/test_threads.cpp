// What a host that uses threads and strtok of its own may rely on: a parse
// does not disturb the host's strtok position, and parses of different files
// into different records may run at the same time.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

using pexilon_test::record;
using pexilon_test::record_difference;
using pexilon_test::temp_file;

namespace {

TEST(Threads, HostStrtokPositionSurvivesAParse)
{
    const temp_file file("[register parameter]\nREG = 1, 2,3\n  4,5 , 6,7\n"
                         "[camera parameter]\nSIZE = 640,480\nFORMAT = 1,2\n");
    char host[] = "alpha,beta;gamma";
    ASSERT_STREQ(std::strtok(host, ",;"), "alpha");

    record config;
    ASSERT_EQ(pexilon_parse_config(file.path(), &config), 0);

    EXPECT_STREQ(std::strtok(nullptr, ",;"), "beta");
    EXPECT_STREQ(std::strtok(nullptr, ",;"), "gamma");
    EXPECT_EQ(std::strtok(nullptr, ",;"), nullptr);
    // And the lists were split right while the host's split was pending.
    ASSERT_EQ(config.param_count, 2u);
    EXPECT_EQ(config.params[0].value_count, 3);
    EXPECT_EQ(config.params[0].values[2], 3u);
    EXPECT_EQ(config.params[1].value_count, 4);
    EXPECT_EQ(config.params[1].values[3], 7u);
    EXPECT_EQ(config.camera.width, 640u);
    EXPECT_EQ(config.camera.height, 480u);
    EXPECT_EQ(config.camera.format, 258);
}

// A file whose every list and control depends on `seed`, so that one parse
// picking up another's text, position or entries shows.
std::string file_text(int seed)
{
    std::string t = "[camera parameter]\nTYPE = cam" + std::to_string(seed) + "\nSIZE = " +
                    std::to_string(100 + seed) + ", " + std::to_string(200 + seed) + "\n";
    for (int i = 0; i < 150 + 13 * seed; ++i) {
        t += i % 3 ? "[register parameter||dev3||inf3]\nREG = " : "[board parameter||dev2]\nDELAY = ";
        for (int v = 0; v <= (i + seed) % 16; ++v)
            t += std::to_string(seed * 1000 + i + v) + (v % 2 ? " , " : ",");
        t += "\n";
    }
    for (int c = 0; c <= seed % 4; ++c)
        t += "[control parameter]\nMIN_VALUE = -" + std::to_string(seed + c) + "\nSTEP = " +
             std::to_string(c + 1) + "\nCTRL_NAME = ctrl" + std::to_string(seed) + "_" + std::to_string(c) +
             "\n======CODE_BLOCK_START======\n  code " + std::to_string(seed) + "\n" +
             std::string(static_cast<std::size_t>(seed * 10 + c), '#') + "\n======CODE_BLOCK_END======\n";
    return t;
}

TEST(Threads, ConcurrentParsesAgreeWithSequentialOnes)
{
    constexpr int files = 6, rounds = 15;
    std::vector<std::unique_ptr<temp_file>> paths;
    std::vector<std::unique_ptr<record>> expected;
    for (int i = 0; i < files; ++i) {
        paths.push_back(std::make_unique<temp_file>(file_text(i)));
        expected.push_back(std::make_unique<record>());
        ASSERT_EQ(pexilon_parse_config(paths[i]->path(), expected[i].get()), 0);
        ASSERT_EQ(expected[i]->param_count, 150u + 13u * i);
        ASSERT_EQ(expected[i]->control_count, 1u + i % 4);
    }

    std::atomic<int> ready{0};
    std::vector<std::string> failures(files);
    std::vector<std::thread> threads;
    for (int t = 0; t < files; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < files) // start together
                std::this_thread::yield();
            for (int r = 0; r < rounds && failures[t].empty(); ++r) {
                record got;
                const int result = pexilon_parse_config(paths[t]->path(), &got);
                const std::string diff = record_difference(got, *expected[t]);
                if (result != 0 || !diff.empty())
                    failures[t] = "round " + std::to_string(r) + ": result " + std::to_string(result) + ", " + diff;
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    for (int t = 0; t < files; ++t)
        EXPECT_EQ(failures[t], "") << "file " << t;
}

} // namespace
