// What a host that uses threads and strtok of its own may rely on: a parse
// does not disturb the host's strtok position, parses of different files
// into different records may run at the same time, and a parse runs on a
// worker thread with the smallest stack the system allows.
#include <gtest/gtest.h>

#include <limits.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>
#if __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#endif

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/parse_config.h"
#include "support/test_support.h"

using pexilon_test::record;
using pexilon_test::record_difference;
using pexilon_test::temp_file;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PEXILON_ADDRESS_SANITIZER 1
#endif
#if __has_feature(thread_sanitizer)
#define PEXILON_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PEXILON_ADDRESS_SANITIZER 1
#endif
#if defined(__SANITIZE_THREAD__)
#define PEXILON_THREAD_SANITIZER 1
#endif

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
    std::string t = "[camera parameter]\nTYPE = cam" + std::to_string(seed) +
                    "\nSIZE = " + std::to_string(100 + seed) + ", " + std::to_string(200 + seed) +
                    "\n";
    for (int i = 0; i < 150 + 13 * seed; ++i) {
        t += i % 3 ? "[register parameter||dev3||inf3]\nREG = "
                   : "[board parameter||dev2]\nDELAY = ";
        for (int v = 0; v <= (i + seed) % 16; ++v)
            t += std::to_string(seed * 1000 + i + v) + (v % 2 ? " , " : ",");
        t += "\n";
    }
    for (int c = 0; c <= seed % 4; ++c)
        t += "[control parameter]\nMIN_VALUE = -" + std::to_string(seed + c) +
             "\nSTEP = " + std::to_string(c + 1) + "\nCTRL_NAME = ctrl" + std::to_string(seed) +
             "_" + std::to_string(c) + "\n======CODE_BLOCK_START======\n  code " +
             std::to_string(seed) + "\n" +
             std::string(static_cast<std::size_t>(seed * 10 + c), '#') +
             "\n======CODE_BLOCK_END======\n";
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
                    failures[t] = "round " + std::to_string(r) + ": result " +
                                  std::to_string(result) + ", " + diff;
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    for (int t = 0; t < files; ++t)
        EXPECT_EQ(failures[t], "") << "file " << t;
}

// Runs `work` on a thread whose stack is `size` bytes of painted memory above
// an inaccessible page (running past the end faults); returns the bytes of
// that stack touched, the thread's descriptor and start-up included.
std::size_t stack_touched(std::size_t size, std::function<void()> work)
{
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void *area =
        mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        std::abort();
    mprotect(area, page, PROT_NONE);
    unsigned char *stack = static_cast<unsigned char *>(area) + page;
    std::memset(stack, 0xA5, size);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstack(&attr, stack, size);
    pthread_t thread;
    const auto start = [](void *arg) -> void * {
        (*static_cast<std::function<void()> *>(arg))();
        return nullptr;
    };
    if (pthread_create(&thread, &attr, start, &work) != 0)
        std::abort();
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
#ifdef VALGRIND_MAKE_MEM_DEFINED
    VALGRIND_MAKE_MEM_DEFINED(stack, size); // memcheck holds a finished thread's stack undefined
#endif
    std::size_t untouched = 0;
    while (untouched < size && stack[untouched] == 0xA5)
        ++untouched;
    munmap(area, size + page);
    return size - untouched;
}

TEST(Threads, ParsesOnTheSmallestThreadStackAgreeWithTheMainThread)
{
#ifdef PEXILON_THREAD_SANITIZER
    GTEST_SKIP() << "the ThreadSanitizer runtime needs some 900 KB of stack of its own";
#endif
    // Lines longer than the 199 characters read at a time, and code blocks.
    std::string text = "[register parameter]\n";
    for (int i = 0; i < 300; ++i)
        text += "REG = 1, 2, 3" + std::string(static_cast<std::size_t>(i), ' ') + "; comment\n";
    for (int c = 0; c < 3; ++c)
        text += "[control parameter]\n======CODE_BLOCK_START======\n" + std::string(5000, 'x') +
                "\n======CODE_BLOCK_END======\n";
    const temp_file file(text);
    const std::string sample = std::string(PEXILON_EXAMPLES_DIR) + "/sample.conf";
    // Each parse on the main thread and on the small one: sample, file, memory.
    record want[3], got[3];
    int want_result[3], got_result[3];
    const auto parse_all = [&](record *into, int *result) {
        result[0] = pexilon_parse_config(sample.c_str(), &into[0]);
        result[1] = pexilon_parse_config(file.path(), &into[1]);
        result[2] = pexilon::parse_config_bytes(text.data(), text.size(), &into[2]).outcome.line;
    };
    parse_all(want, want_result);
    ASSERT_EQ(want[1].control_count, 3u);

    const std::size_t size = PTHREAD_STACK_MIN;
    const std::size_t idle = stack_touched(size, [] {});
    const std::size_t parsing = stack_touched(size, [&] { parse_all(got, got_result); });
    std::printf("stack of %zu bytes: %zu used by an idle thread, %zu by parses (%zu more)\n", size,
                idle, parsing, parsing - idle);
    // What the header promises, for an optimised build without sanitizer.
#if defined(__OPTIMIZE__) && !defined(PEXILON_ADDRESS_SANITIZER)
    EXPECT_LT(parsing - idle, 3072u);
#endif
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(got_result[i], want_result[i]) << i;
        EXPECT_EQ(record_difference(got[i], want[i]), "") << i;
    }
}

} // namespace
