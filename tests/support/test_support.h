// Helpers shared by the tests: temporary files, records, a recording handler.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "config/record_compare.h"
#include "pexilon/config_parser.h"
#include "support/record_ops.h"

namespace pexilon_test {

// A file with the given bytes, removed when the object goes.
class temp_file {
public:
    explicit temp_file(std::string_view bytes)
    {
        char name[] = "/tmp/pexilon_test_XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0)
            std::abort();
        path_ = name;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                std::abort();
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    ~temp_file() { ::unlink(path_.c_str()); }
    temp_file(const temp_file &) = delete;
    temp_file &operator=(const temp_file &) = delete;
    const char *path() const { return path_.c_str(); }

private:
    std::string path_;
};

// A zeroed record that releases its lists when it goes.
struct record : parsed_config {
    record() : parsed_config{} {}
    ~record() { pexilon::release_record(*this); }
    record(const record &) = delete;
    record &operator=(const record &) = delete;
};

// One handler call as the reader made it; null texts are kept as "<null>".
struct event {
    std::string section;
    std::string name;
    std::string value;
    bool operator==(const event &) const = default;
};

// A line_handler `user` that records every call and accepts all but the
// calls whose number (1-based) is listed in `reject_calls`.
struct recorder {
    std::vector<event> events;
    std::vector<int> reject_calls;

    static int handle(void *user, const char *section, const char *name, const char *value)
    {
        auto *self = static_cast<recorder *>(user);
        self->events.push_back(
            {section ? section : "<null>", name ? name : "<null>", value ? value : "<null>"});
        for (const int n : self->reject_calls)
            if (n == static_cast<int>(self->events.size()))
                return 0;
        return 1;
    }
};

// Where two records first differ ("params 3"), or "" when they are the same.
inline std::string record_difference(const parsed_config &a, const parsed_config &b)
{
    const pexilon::record_mismatch at = pexilon::first_mismatch(a, b);
    if (!at)
        return "";
    const std::string part = at.part;
    if (part == "params" || part == "controls")
        return part + " " + std::to_string(at.index);
    return part;
}

} // namespace pexilon_test
