// Helpers shared by the tests: temporary files, records, a recording handler.
#pragma once

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "pexilon/config_parser.h"

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

// Releases everything the library handed to the caller and zeroes the record.
inline void free_record(parsed_config &config)
{
    for (std::uint32_t i = 0; i < config.control_count; ++i)
        std::free(config.controls[i].code);
    std::free(config.controls);
    std::free(config.params);
    config = parsed_config{};
}

// A zeroed record that releases its lists when it goes.
struct record : parsed_config {
    record() : parsed_config{} {}
    ~record() { free_record(*this); }
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
        self->events.push_back({section ? section : "<null>", name ? name : "<null>",
                                value ? value : "<null>"});
        for (const int n : self->reject_calls)
            if (n == static_cast<int>(self->events.size()))
                return 0;
        return 1;
    }
};

// The first field in which two records differ, or "".
inline std::string record_difference(const parsed_config &a, const parsed_config &b)
{
    const camera_settings &x = a.camera, &y = b.camera;
    if (x.cfg_mode != y.cfg_mode || std::memcmp(x.type, y.type, sizeof x.type) != 0 || x.width != y.width ||
        x.height != y.height || x.bit_width != y.bit_width || x.format != y.format ||
        x.i2c_mode != y.i2c_mode || x.i2c_addr != y.i2c_addr || x.trans_lvl != y.trans_lvl)
        return "camera settings";
    if (a.param_count != b.param_count || a.control_count != b.control_count)
        return "counts";
    for (std::uint32_t i = 0; i < a.param_count; ++i) {
        const param_entry &p = a.params[i], &q = b.params[i];
        if (p.type != q.type || p.value_count != q.value_count ||
            std::memcmp(p.values, q.values, sizeof p.values) != 0)
            return "entry " + std::to_string(i);
    }
    for (std::uint32_t i = 0; i < a.control_count; ++i) {
        const control_entry &p = a.controls[i], &q = b.controls[i];
        if (p.min_value != q.min_value || p.max_value != q.max_value || p.step != q.step || p.def != q.def ||
            p.reserved != q.reserved || std::strcmp(p.ctrl_name, q.ctrl_name) != 0 ||
            std::strcmp(p.func_name, q.func_name) != 0 || (p.code == nullptr) != (q.code == nullptr) ||
            (p.code && std::strcmp(p.code, q.code) != 0))
            return "control " + std::to_string(i);
    }
    return "";
}

} // namespace pexilon_test
