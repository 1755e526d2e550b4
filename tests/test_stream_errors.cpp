// Streams that fail: a read error is never taken for the end of the input.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/parse_config.h"
#include "reader/stream_source.h"
#include "support/test_support.h"

using pexilon::fault;
using pexilon_test::recorder;

namespace {

// A stdio stream over `text` whose reads fail with EIO once `good_bytes`
// bytes have been handed out.
struct failing_source {
    std::string text;
    std::size_t good_bytes;
    std::size_t position = 0;

    static ssize_t read(void *cookie, char *buffer, std::size_t size)
    {
        auto *self = static_cast<failing_source *>(cookie);
        if (self->position >= self->good_bytes) {
            errno = EIO;
            return -1;
        }
        const std::size_t n = std::min({size, self->good_bytes - self->position,
                                        self->text.size() - self->position});
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
    int line;
    fault kind;
    std::size_t events;
};

// "a = 1\n" is 6 bytes a line.
const failing_case failing_cases[] = {
    // Nothing could be read: like a file that cannot be opened.
    {"a = 1\n", 0, PARSE_OPEN_FAILED, fault::cannot_open, 0},
    // Two whole lines read, the third cut short: it is the unread line.
    {"a = 1\na = 1\na = 1\n", 14, 3, fault::read_error, 2},
    // An earlier faulty line stands.
    {"oops\na = 1\na = 1\n", 8, 1, fault::no_separator, 0},
    // A block interrupted by the error reports the error, not an open block.
    {"======CODE_BLOCK_START======\nx\nx\nx\n", 31, 3, fault::read_error, 0},
};

} // namespace

TEST(StreamErrors, ReadErrorIsReportedAtTheUnreadLine)
{
    for (const failing_case &c : failing_cases) {
        failing_source source{c.text, c.good_bytes};
        std::FILE *stream = source.open();
        ASSERT_NE(stream, nullptr);
        recorder events;
        const pexilon::parse_outcome outcome =
            pexilon::parse_stream_detailed(stream, recorder::handle, &events);
        std::fclose(stream);
        EXPECT_EQ(outcome.line, c.line) << c.text;
        EXPECT_EQ(outcome.kind, c.kind) << c.text;
        EXPECT_EQ(outcome.os_error, EIO) << c.text;
        EXPECT_EQ(events.events.size(), c.events) << c.text;
    }
}

TEST(StreamErrors, NullStreamCannotBeRead)
{
    EXPECT_EQ(pexilon::parse_stream(nullptr, recorder::handle, nullptr), PARSE_OPEN_FAILED);
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
