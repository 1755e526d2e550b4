// Inputs that try to hurt the reader: huge lines and blocks, many sections,
// NUL bytes, special files, unreadable paths, files that change under it.
// Each must give a defined result and a consistent record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "config/interpreter.h"
#include "reader/stream_source.h"
#include "support/test_support.h"

using pexilon_test::record;
using pexilon_test::temp_file;

namespace {

// The memcheck run sets this: the large inputs take minutes under valgrind
// and exercise nothing the small ones do not.
bool heavy_tests_skipped() { return std::getenv("PEXILON_SKIP_HEAVY") != nullptr; }

#define SKIP_IF_HEAVY_TESTS_SKIPPED()                    \
    do {                                                 \
        if (heavy_tests_skipped())                       \
            GTEST_SKIP() << "PEXILON_SKIP_HEAVY is set"; \
    } while (0)

std::string repeat(std::string_view piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace

TEST(HostileInputs, EmptyFileAndLoneByteOrderMark)
{
    for (const char *bytes : {"", "\xEF\xBB\xBF", "\xEF\xBB\xBF\n"}) {
        temp_file file(bytes);
        record config;
        EXPECT_EQ(pexilon_parse_config(file.path(), &config), 0);
        EXPECT_EQ(config.param_count, 0u);
        EXPECT_EQ(config.params, nullptr);
    }
}

TEST(HostileInputs, HundredMegabyteLineWithoutNewline)
{
    SKIP_IF_HEAVY_TESTS_SKIPPED();
    // Read in 199-character pieces: the first holds "REG = 1,1,..." with far
    // more than 16 numbers (line 2, reported), every later piece has no
    // separator; nothing may be written past the entry's 16 slots.
    temp_file file("[register parameter]\nREG = " + repeat("1,", 50'000'000));
    record config;
    EXPECT_EQ(pexilon_parse_config(file.path(), &config), 2);
    ASSERT_EQ(config.param_count, 1u);
    EXPECT_EQ(config.params[0].value_count, 16);
    EXPECT_EQ(config.params[0].values[15], 1u);
}

TEST(HostileInputs, TenMegabyteCodeBlock)
{
    SKIP_IF_HEAVY_TESTS_SKIPPED();
    const std::string line = "  write(0x0202, value & 0xFF) ; keep \t\r\n"; // 41 bytes
    const std::size_t lines = 10'000'000 / line.size();
    temp_file file("[control parameter]\n======CODE_BLOCK_START======\n" + repeat(line, lines) +
                   "======CODE_BLOCK_END======\n");
    record config;
    ASSERT_EQ(pexilon_parse_config(file.path(), &config), 0);
    ASSERT_EQ(config.control_count, 1u);
    ASSERT_NE(config.controls[0].code, nullptr);
    // Leading white space and comments stay; trailing white space goes.
    const std::string expected = repeat("  write(0x0202, value & 0xFF) ; keep\n", lines);
    EXPECT_EQ(std::strlen(config.controls[0].code), expected.size());
    EXPECT_TRUE(expected == config.controls[0].code);
}

TEST(HostileInputs, HundredThousandControlSections)
{
    SKIP_IF_HEAVY_TESTS_SKIPPED();
    temp_file file(repeat("[control parameter]\nSTEP = 3\n", 100'000));
    record config;
    ASSERT_EQ(pexilon_parse_config(file.path(), &config), 0);
    ASSERT_EQ(config.control_count, 100'000u);
    EXPECT_EQ(config.controls[0].step, 3);
    EXPECT_EQ(config.controls[99'999].step, 3);
    EXPECT_GE(malloc_usable_size(config.controls), 100'000 * sizeof(control_entry));
    // The list is trimmed to what it holds (malloc rounds up by a page at most).
    EXPECT_LT(malloc_usable_size(config.controls), 100'000 * sizeof(control_entry) + 8192);
}

TEST(HostileInputs, FileOfNulBytesIsBlankLines)
{
    temp_file file(std::string(1 << 20, '\0'));
    record config;
    EXPECT_EQ(pexilon_parse_config(file.path(), &config), 0);
    EXPECT_EQ(config.param_count, 0u);
}

TEST(HostileInputs, NulByteLosesOnlyTheRestOfItsLine)
{
    static constexpr char bytes[] = "[camera parameter]\nSIZE = 640\0, 9\nCFG_MODE = 7\n";
    temp_file file(std::string(bytes, sizeof bytes - 1));
    record config;
    EXPECT_EQ(pexilon_parse_config(file.path(), &config), 0);
    EXPECT_EQ(config.camera.width, 0u); // "SIZE = 640" has one number only
    EXPECT_EQ(config.camera.cfg_mode, 7u);
}

TEST(HostileInputs, DevNullIsAnEmptyFile)
{
    record config;
    EXPECT_EQ(pexilon_parse_config("/dev/null", &config), 0);
}

TEST(HostileInputs, PathsThatCannotBeRead)
{
    char long_path[PATH_MAX + 64];
    std::memset(long_path, 'a', sizeof long_path - 1);
    long_path[0] = '/';
    long_path[sizeof long_path - 1] = '\0';
    for (const char *path : {"/tmp", "/", "/nonexistent/x.conf", "", (const char *)long_path}) {
        record config;
        config.camera.cfg_mode = 42;
        EXPECT_EQ(pexilon_parse_config(path, &config), PARSE_OPEN_FAILED) << path;
        EXPECT_EQ(config.camera.cfg_mode, 42u);
        EXPECT_EQ(config.params, nullptr);
    }
}

TEST(HostileInputs, FileWithoutReadPermission)
{
    temp_file file("[camera parameter]\nCFG_MODE = 1\n");
    ASSERT_EQ(::chmod(file.path(), 0), 0);
    // Root reads any file, so as root the parse runs in a child that has
    // given up its rights for those of "nobody".
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        parsed_config config{};
        const int result = pexilon_parse_config(file.path(), &config);
        ::_exit(result == PARSE_OPEN_FAILED && config.camera.cfg_mode == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "could not drop root rights to test an unreadable file";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(HostileInputs, FifoIsReadToItsEnd)
{
    char dir[] = "/tmp/pexilon_fifo_XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/pipe";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    // The writer trickles the text in small writes, as a slow producer would.
    std::thread writer([&path] {
        const int fd = ::open(path.c_str(), O_WRONLY);
        const std::string text = "[register parameter]\n" + repeat("REG = 0x10, 0x20\n", 5000);
        for (std::size_t done = 0; done < text.size(); done += 1000)
            (void)!::write(fd, text.data() + done, std::min<std::size_t>(1000, text.size() - done));
        ::close(fd);
    });
    record config;
    const int result = pexilon_parse_config(path.c_str(), &config);
    writer.join();
    ::unlink(path.c_str());
    ::rmdir(dir);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(config.param_count, 5000u);
}

namespace {

// A handler that changes the file being read when it sees line `at`.
struct file_changer {
    pexilon::interpreter_state state;
    std::string path;
    int seen = 0;
    int at = 0;
    bool truncate = false;

    static int handle(void *user, const char *section, const char *name, const char *value)
    {
        auto *self = static_cast<file_changer *>(user);
        if (++self->seen == self->at) {
            if (self->truncate) {
                (void)!::truncate(self->path.c_str(), 0);
            } else {
                const int fd = ::open(self->path.c_str(), O_WRONLY | O_APPEND);
                const std::string more = repeat("REG = 0x99\n", 100);
                (void)!::write(fd, more.data(), more.size());
                ::close(fd);
            }
        }
        return pexilon::interpreter_handler(&self->state, section, name, value);
    }
};

} // namespace

TEST(HostileInputs, FileTruncatedOrGrownWhileRead)
{
    // 100 000 lines (1.2 MB): far more than the reader holds at once, so
    // the change lands before the end of the file has been read.
    const std::string body = "[register parameter]\n" + repeat("REG = 0x0001\n", 100'000);
    for (const bool truncate : {true, false}) {
        temp_file file(body);
        record config;
        file_changer changer{pexilon::begin_interpreting(&config), file.path(), 0, 10, truncate};
        const int result = pexilon::parse_path(file.path(), file_changer::handle, &changer).line;
        pexilon::end_interpreting(changer.state);
        EXPECT_EQ(result, 0);
        if (truncate) {
            EXPECT_GE(config.param_count, 9u);
            EXPECT_LT(config.param_count, 100'000u);
        } else {
            EXPECT_EQ(config.param_count, 100'100u);
            EXPECT_EQ(config.params[100'099].values[0], 0x99u);
        }
        for (std::uint32_t i = 0; i < config.param_count; ++i)
            ASSERT_LE(config.params[i].value_count, 16);
    }
}
