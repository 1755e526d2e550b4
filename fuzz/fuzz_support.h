// Checks shared by the fuzz targets: a scratch file for the input and the
// properties every filled record must have.
#pragma once

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include "config/code_tables.h"
#include "config/record_compare.h"
#include "pexilon/config_parser.h"
#include "support/record_ops.h"

// Aborts with the failed condition, so that both libFuzzer and the replay
// program report the input as a finding.
#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
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

// Code text is a series of lines each ended by "\n", none with trailing
// white space.
inline void check_code_text(const char *text)
{
    const std::size_t n = std::strlen(text);
    FUZZ_CHECK(n == 0 || text[n - 1] == '\n');
    for (std::size_t i = 1; i < n; ++i)
        if (text[i] == '\n')
            FUZZ_CHECK(text[i - 1] == '\n' ||
                       !std::isspace(static_cast<unsigned char>(text[i - 1])));
}

// A board or register section of the vocabulary, with one of its keys.
inline bool entry_type_known(std::uint32_t type)
{
    const std::uint32_t section = pexilon::section_of(type);
    return section != pexilon::section_camera && section != pexilon::section_control &&
           pexilon::lookup_name(pexilon::section_codes, section) != nullptr &&
           pexilon::lookup_name(pexilon::param_keys, pexilon::key_of(type)) != nullptr;
}

// Properties of every record the library hands back.
inline void check_record(const parsed_config &c)
{
    if (c.param_count == 0) {
        FUZZ_CHECK(c.params == nullptr);
    } else {
        FUZZ_CHECK(c.params != nullptr);
        const std::size_t room = pexilon::promised_param_room(c.param_count);
        FUZZ_CHECK(malloc_usable_size(c.params) >= room * sizeof(param_entry));
    }
    for (std::uint32_t i = 0; i < c.param_count; ++i) {
        FUZZ_CHECK(c.params[i].value_count <= std::size(c.params[i].values));
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

// Both records hold the same; the first difference is named before the abort.
inline void check_same_record(const parsed_config &a, const parsed_config &b)
{
    const pexilon::record_mismatch at = pexilon::first_mismatch(a, b);
    if (at)
        std::fprintf(stderr, "records differ at %s %u\n", at.part, static_cast<unsigned>(at.index));
    FUZZ_CHECK(!at);
}

} // namespace fuzz
