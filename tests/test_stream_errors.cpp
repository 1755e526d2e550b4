// Streams that fail: a read error is never taken for the end of the input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/parse_config.h"
#include "reader/stream_source.h"
#include "support/test_support.h"

using pexilon::fault;
using pexilon_test::recorder;

namespace {

// A stdio stream over `text` whose reads fail with `error` once `good_bytes`
// bytes have been handed out: every read from then on, or only the first
// when `once` (a read interrupted by a signal, say).
struct failing_source {
    std::string text;
    std::size_t good_bytes;
    int error = EIO;
    bool once = false;
    std::size_t position = 0;
    bool failed = false;

    static ssize_t read(void *cookie, char *buffer, std::size_t size)
    {
        auto *self = static_cast<failing_source *>(cookie);
        const bool past_failure = self->once && self->failed;
        if (self->position >= self->good_bytes && !past_failure) {
            self->failed = true;
            errno = self->error;
            return -1;
        }
        const std::size_t limit = past_failure ? self->text.size() : self->good_bytes;
        const std::size_t n =
            std::min({size, limit - self->position, self->text.size() - self->position});
        std::memcpy(buffer, self->text.data() + self->position, n);
        self->position += n;
        return static_cast<ssize_t>(n);
    }

    std::FILE *open()
    {
        cookie_io_functions_t io{};
        io.read = &failing_source::read;
        return fopencookie(this, "r", io);
    }
};

struct failing_case {
    const char *text;
    std::size_t good_bytes;
    int error;
    bool once;
    int line;
    fault kind;
    std::size_t events;
    int os_error;
};

// "a = 1\n" is 6 bytes a line.
const failing_case failing_cases[] = {
    // Nothing could be read: like a file that cannot be opened.
    {"a = 1\n", 0, EIO, false, PARSE_OPEN_FAILED, fault::cannot_open, 0, EIO},
    // Two whole lines read, the third cut short: it is the unread line.
    {"a = 1\na = 1\na = 1\n", 14, EIO, false, 3, fault::read_error, 2, EIO},
    // An earlier faulty line stands.
    {"oops\na = 1\na = 1\n", 8, EIO, false, 1, fault::no_separator, 0, EIO},
    // A block interrupted by the error reports the error, not an open block.
    {"======CODE_BLOCK_START======\nx\nx\nx\n", 31, EIO, false, 3, fault::read_error, 0, EIO},
    // The errno of the failing read is kept; a read that set none is EIO.
    {"a = 1\na = 1\n", 6, ENXIO, false, 2, fault::read_error, 1, ENXIO},
    {"a = 1\n", 0, 0, false, PARSE_OPEN_FAILED, fault::cannot_open, 0, EIO},
    // A read interrupted by a signal lost nothing: first, inside a line, at
    // the end of one and after the last.
    {"a = 1\na = 1\n", 0, EINTR, true, 0, fault::none, 2, 0},
    {"a = 1\na = 1\na = 1\n", 8, EINTR, true, 0, fault::none, 3, 0},
    {"a = 1\na = 1\n", 6, EINTR, true, 0, fault::none, 2, 0},
    {"a = 1\na = 1\n", 12, EINTR, true, 0, fault::none, 2, 0},
};

} // namespace

TEST(StreamErrors, ErrorsAreReportedAtTheUnreadLineAndInterruptionsRetried)
{
    for (const failing_case &c : failing_cases) {
        failing_source source{c.text, c.good_bytes, c.error, c.once};
        std::FILE *stream = source.open();
        ASSERT_NE(stream, nullptr);
        recorder events;
        const pexilon::parse_outcome outcome =
            pexilon::parse_stream(stream, recorder::handle, &events);
        std::fclose(stream);
        EXPECT_EQ(outcome.line, c.line) << c.text;
        EXPECT_EQ(outcome.kind, c.kind) << c.text;
        EXPECT_EQ(outcome.os_error, c.os_error) << c.text;
        EXPECT_EQ(events.events.size(), c.events) << c.text;
    }
}

TEST(StreamErrors, NullStreamCannotBeRead)
{
    EXPECT_EQ(pexilon::parse_stream(nullptr, recorder::handle, nullptr).line,
              pexilon::cannot_open_line);
}

TEST(StreamErrors, ConfigStreamCarriesTheReason)
{
    failing_source source{"[camera parameter]\nCFG_MODE = 5\nSIZE = 1, 2\n", 33};
    std::FILE *stream = source.open();
    pexilon_test::record config;
    const pexilon::config_report report = pexilon::parse_config_stream(stream, &config);
    std::fclose(stream);
    EXPECT_EQ(report.outcome.line, 3);
    EXPECT_STREQ(pexilon::describe_fault(report), "the file could not be read past this point");
    EXPECT_EQ(config.camera.cfg_mode, 5u);
    EXPECT_EQ(config.camera.width, 0u);
}

namespace {

volatile std::sig_atomic_t alarms = 0;

// Writes `text` into the FIFO at `path` from a child process, in pieces with
// pauses, so that the reader waits in open and in read; returns its pid.
pid_t start_pausing_writer(const std::string &path, const std::string &text)
{
    std::fflush(nullptr); // nothing buffered is written twice
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const timespec pause{0, 3'000'000};
    nanosleep(&pause, nullptr);
    const int fd = ::open(path.c_str(), O_WRONLY);
    for (std::size_t done = 0; fd >= 0 && done < text.size();) {
        const ssize_t n =
            ::write(fd, text.data() + done, std::min<std::size_t>(509, text.size() - done));
        if (n <= 0)
            _exit(1);
        done += static_cast<std::size_t>(n);
        nanosleep(&pause, nullptr);
    }
    _exit(fd >= 0 ? 0 : 1);
}

// A host with a SIGALRM handler installed without SA_RESTART and a timer
// firing every 0.7 ms: every open or read waiting at the time fails with
// EINTR. The parse of the FIFO must give what the plain file gives.
TEST(StreamErrors, SignalsDuringReadsFromAPausingWriterLoseNothing)
{
    std::string text = "[register parameter]\n";
    for (int i = 0; i < 1600; ++i)
        text += "REG = 0x" + std::to_string(3000 + i) + ", " + std::to_string(i % 256) + "\n";
    text += "[control parameter]\n======CODE_BLOCK_START======\n  go\n======CODE_BLOCK_END======\n";
    const pexilon_test::temp_file file(text);
    pexilon_test::record want, got;
    ASSERT_EQ(pexilon_parse_config(file.path(), &want), 0);
    const std::string fifo = std::string(file.path()) + ".fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const pid_t writer = start_pausing_writer(fifo, text);
    ASSERT_GT(writer, 0);

    struct sigaction action = {}, old_action = {}, ignore = {};
    action.sa_handler = [](int) { alarms = alarms + 1; };
    sigaction(SIGALRM, &action, &old_action);
    const itimerval every{{0, 700}, {0, 700}}, off{};
    setitimer(ITIMER_REAL, &every, nullptr);
    const int result = pexilon_parse_config(fifo.c_str(), &got);
    setitimer(ITIMER_REAL, &off, nullptr);
    ignore.sa_handler = SIG_IGN; // drops a signal still pending
    sigaction(SIGALRM, &ignore, nullptr);
    sigaction(SIGALRM, &old_action, nullptr);

    int status = 0;
    if (result == PARSE_OPEN_FAILED)
        kill(writer, SIGKILL); // it would wait for a reader for ever
    waitpid(writer, &status, 0);
    unlink(fifo.c_str());
    EXPECT_GT(alarms, 10) << "the reader was hardly interrupted";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(pexilon_test::record_difference(got, want), "");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
