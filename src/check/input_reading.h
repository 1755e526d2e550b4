// Reading a whole input into memory for the checker, with the library's
// rules for inputs that cannot be opened or read to their end.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace pexilon::check {

struct loaded_input {
    std::string bytes;
    bool opened = false;      // false: nothing could be read at all
    bool read_failed = false; // a read error after the first block
    int os_error = 0;
};

loaded_input read_path(const char *path);
loaded_input read_stream(std::FILE *stream);

} // namespace pexilon::check
