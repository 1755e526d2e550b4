// Checks shared by the fuzz targets: a scratch file for the input, the
// properties every filled record must have, and record comparison.
#pragma once

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include "pexilon/config_parser.h"

// Aborts with the failed condition, so that both libFuzzer and the replay
// program report the input as a finding.
#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace fuzz {

// One file per process, rewritten with every input and removed at a normal
// exit. It lives in memory where possible (rewriting a disk file costs
// milliseconds), in $PEXILON_FUZZ_SCRATCH_DIR when that is set: libFuzzer
// ends without running atexit handlers, so its runs name a folder they clear.
inline const char *scratch_file(const std::uint8_t *data, std::size_t size)
{
    static char path[4096] = "";
    if (path[0] == '\0') {
        const char *dir = std::getenv("PEXILON_FUZZ_SCRATCH_DIR");
        if (dir == nullptr || dir[0] == '\0')
            dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::snprintf(path, sizeof path, "%s/pexilon_fuzz_XXXXXX", dir);
        const int fd = ::mkstemp(path);
        FUZZ_CHECK(fd >= 0);
        ::close(fd);
        std::atexit([] { ::unlink(path); });
    }
    // O_CREAT: a cleaner of temporary folders may have removed the file.
    const int fd = ::open(path, O_WRONLY | O_TRUNC | O_CREAT, 0600);
    FUZZ_CHECK(fd >= 0);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        FUZZ_CHECK(n > 0);
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return path;
}

// Number of reads of a 200-byte line buffer it takes to consume the input:
// each read stops after a newline or after 199 bytes.
inline long line_count(const std::uint8_t *data, std::size_t size)
{
    long lines = 0;
    for (std::size_t pos = 0; pos < size; ++lines) {
        std::size_t taken = 0;
        while (pos < size && taken < 199) {
            ++taken;
            if (data[pos++] == '\n')
                break;
        }
    }
    return lines;
}

inline bool has_nul(const std::uint8_t *data, std::size_t size)
{
    return size != 0 && std::memchr(data, 0, size) != nullptr;
}

// Code text is a series of lines each ended by "\n", none with trailing
// white space.
inline void check_code_text(const char *text)
{
    const std::size_t n = std::strlen(text);
    FUZZ_CHECK(n == 0 || text[n - 1] == '\n');
    for (std::size_t i = 1; i < n; ++i)
        if (text[i] == '\n')
            FUZZ_CHECK(text[i - 1] == '\n' || !std::isspace(static_cast<unsigned char>(text[i - 1])));
}

inline bool entry_type_known(std::uint32_t type)
{
    switch (type & 0xFFFF0000u) {
    case 0x02000000u: case 0x02020000u: case 0x02040000u: case 0x02030000u:
    case 0x03000000u: case 0x03040000u: case 0x03030000u:
        break;
    default:
        return false;
    }
    const std::uint32_t key = type & 0xFFFFu;
    return key >= 1 && key <= 3;
}

// Properties of every record the library hands back.
inline void check_record(const parsed_config &c)
{
    if (c.param_count == 0) {
        FUZZ_CHECK(c.params == nullptr);
    } else {
        FUZZ_CHECK(c.params != nullptr);
        const std::size_t room = 100u * (c.param_count / 100u + 1u);
        FUZZ_CHECK(malloc_usable_size(c.params) >= room * sizeof(param_entry));
    }
    for (std::uint32_t i = 0; i < c.param_count; ++i) {
        FUZZ_CHECK(c.params[i].value_count <= 16);
        FUZZ_CHECK(entry_type_known(c.params[i].type));
    }
    if (c.control_count == 0) {
        FUZZ_CHECK(c.controls == nullptr);
    } else {
        FUZZ_CHECK(c.controls != nullptr);
        FUZZ_CHECK(malloc_usable_size(c.controls) >= c.control_count * sizeof(control_entry));
    }
    for (std::uint32_t i = 0; i < c.control_count; ++i) {
        const control_entry &e = c.controls[i];
        FUZZ_CHECK(std::memchr(e.ctrl_name, 0, sizeof e.ctrl_name) != nullptr);
        FUZZ_CHECK(std::memchr(e.func_name, 0, sizeof e.func_name) != nullptr);
        FUZZ_CHECK(e.reserved == 0);
        if (e.code != nullptr)
            check_code_text(e.code);
    }
}

inline bool same_camera(const camera_settings &a, const camera_settings &b)
{
    return a.cfg_mode == b.cfg_mode && std::memcmp(a.type, b.type, sizeof a.type) == 0 &&
           a.width == b.width && a.height == b.height && a.bit_width == b.bit_width &&
           a.format == b.format && a.i2c_mode == b.i2c_mode && a.i2c_addr == b.i2c_addr &&
           a.trans_lvl == b.trans_lvl;
}

// Entry contents, not pointers; values past value_count are not part of it.
inline bool same_param(const param_entry &a, const param_entry &b)
{
    return a.type == b.type && a.value_count == b.value_count &&
           std::memcmp(a.values, b.values, a.value_count * sizeof a.values[0]) == 0;
}

inline bool same_control(const control_entry &a, const control_entry &b)
{
    const bool same_code = (a.code == nullptr && b.code == nullptr) ||
                           (a.code != nullptr && b.code != nullptr && std::strcmp(a.code, b.code) == 0);
    return same_code && a.min_value == b.min_value && a.max_value == b.max_value &&
           a.step == b.step && a.def == b.def && a.reserved == b.reserved &&
           std::memcmp(a.ctrl_name, b.ctrl_name, sizeof a.ctrl_name) == 0 &&
           std::memcmp(a.func_name, b.func_name, sizeof a.func_name) == 0;
}

inline void check_same_record(const parsed_config &a, const parsed_config &b)
{
    FUZZ_CHECK(same_camera(a.camera, b.camera));
    FUZZ_CHECK(a.param_count == b.param_count);
    for (std::uint32_t i = 0; i < a.param_count; ++i)
        FUZZ_CHECK(same_param(a.params[i], b.params[i]));
    FUZZ_CHECK(a.control_count == b.control_count);
    for (std::uint32_t i = 0; i < a.control_count; ++i)
        FUZZ_CHECK(same_control(a.controls[i], b.controls[i]));
}

inline void free_record(parsed_config &c)
{
    for (std::uint32_t i = 0; i < c.control_count; ++i)
        std::free(c.controls[i].code);
    std::free(c.controls);
    std::free(c.params);
    c = parsed_config{};
}

} // namespace fuzz
