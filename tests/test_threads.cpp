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

// A thread whose stack is `size` bytes of memory painted with a pattern,
// with an inaccessible page below it, so that running past the end faults.
class painted_stack_thread {
public:
    explicit painted_stack_thread(std::size_t size) : size_(size)
    {
        page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        void *area = mmap(nullptr, size_ + page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED)
            std::abort();
        area_ = static_cast<unsigned char *>(area);
        mprotect(area_, page_, PROT_NONE);
        std::memset(stack(), paint, size_);
    }
    ~painted_stack_thread() { munmap(area_, size_ + page_); }
    painted_stack_thread(const painted_stack_thread &) = delete;
    painted_stack_thread &operator=(const painted_stack_thread &) = delete;

    // Runs `work` on the thread and waits for it; returns the bytes of the
    // stack touched, the thread's own start-up and descriptor included.
    template <typename Work>
    std::size_t run(Work &work)
    {
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstack(&attr, stack(), size_);
        pthread_t thread;
        const auto start = [](void *arg) -> void * {
            (*static_cast<Work *>(arg))();
            return nullptr;
        };
        if (pthread_create(&thread, &attr, start, &work) != 0)
            std::abort();
        pthread_join(thread, nullptr);
        pthread_attr_destroy(&attr);
        // memcheck takes a stack left by its thread for undefined memory.
#ifdef VALGRIND_MAKE_MEM_DEFINED
        VALGRIND_MAKE_MEM_DEFINED(stack(), size_);
#endif
        std::size_t untouched = 0;
        while (untouched < size_ && stack()[untouched] == paint)
            ++untouched;
        return size_ - untouched;
    }

private:
    static constexpr unsigned char paint = 0xA5;
    unsigned char *stack() const { return area_ + page_; }
    std::size_t size_;
    std::size_t page_ = 0;
    unsigned char *area_ = nullptr;
};

// Lines of 199 characters and more (read in pieces), and code blocks.
std::string long_lines_text()
{
    std::string t = "[camera parameter]\nTYPE = " + std::string(260, 't') + "\n[register parameter]\n";
    for (int i = 0; i < 300; ++i)
        t += "REG = 1, 2, 3, 4, 5, 6, 7, 8, 9, 10" + std::string(static_cast<std::size_t>(150 + i % 120), ' ') +
             "; " + std::string(static_cast<std::size_t>(i), 'c') + "\n";
    for (int c = 0; c < 3; ++c) {
        t += "[control parameter]\nCTRL_NAME = " + std::string(200, 'n') + "\n======CODE_BLOCK_START======\n";
        for (int i = 0; i < 200; ++i)
            t += std::string(static_cast<std::size_t>(i * 3), 'x') + "\n";
        t += "======CODE_BLOCK_END======\n";
    }
    return t;
}

TEST(Threads, ParsesOnTheSmallestThreadStackAgreeWithTheMainThread)
{
#ifdef PEXILON_THREAD_SANITIZER
    GTEST_SKIP() << "the ThreadSanitizer runtime needs some 900 KB of stack of its own";
#endif
    const std::string sample = std::string(PEXILON_EXAMPLES_DIR) + "/sample.conf";
    const std::string long_text = long_lines_text();
    const temp_file long_file(long_text);

    record sample_want, long_want, bytes_want;
    const int sample_result = pexilon_parse_config(sample.c_str(), &sample_want);
    const int long_result = pexilon_parse_config(long_file.path(), &long_want);
    ASSERT_EQ(pexilon::parse_config_bytes(long_text.data(), long_text.size(), &bytes_want).outcome.line,
              long_result);
    ASSERT_GT(sample_want.param_count, 0u);
    ASSERT_GE(long_want.param_count, 300u);
    ASSERT_EQ(long_want.control_count, 3u);

    record sample_got, long_got, bytes_got;
    int results[3] = {};
    auto parses = [&] {
        results[0] = pexilon_parse_config(sample.c_str(), &sample_got);
        results[1] = pexilon_parse_config(long_file.path(), &long_got);
        results[2] = pexilon::parse_config_bytes(long_text.data(), long_text.size(), &bytes_got).outcome.line;
    };
    auto nothing = [] {};
    const std::size_t size = PTHREAD_STACK_MIN;
    const std::size_t idle_use = painted_stack_thread(size).run(nothing);
    const std::size_t parse_use = painted_stack_thread(size).run(parses);
    std::printf("stack of %zu bytes: %zu used by a thread doing nothing, %zu by parses (%zu more)\n", size,
                idle_use, parse_use, parse_use - idle_use);

    // What the header promises, for an optimised build without sanitizer.
#if defined(__OPTIMIZE__) && !defined(PEXILON_ADDRESS_SANITIZER)
    EXPECT_LT(parse_use - idle_use, 3072u);
#endif
    EXPECT_EQ(results[0], sample_result);
    EXPECT_EQ(results[1], long_result);
    EXPECT_EQ(results[2], long_result);
    EXPECT_EQ(record_difference(sample_got, sample_want), "");
    EXPECT_EQ(record_difference(long_got, long_want), "");
    EXPECT_EQ(record_difference(bytes_got, long_want), "");
}

} // namespace
