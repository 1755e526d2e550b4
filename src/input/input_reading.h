// Reading a whole input into memory for the checker, with the library's
// rules for inputs that cannot be opened or read to their end.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "config/line_accounts.h"
#include "input/text_block.h"

namespace pexilon::input {

struct loaded_input {
    text_block bytes;
    bool opened = false;      // false: nothing could be read at all
    bool read_failed = false; // a read error after the first block
    int os_error = 0;
};

loaded_input read_path(const char *path);
loaded_input read_stream(std::FILE *stream);

// The bytes of `input` that the library's stream reader hands out: before a
// read error, a piece cut short by it is not read.
std::string_view readable_text(std::string_view bytes, bool read_failed);

// The outcome of parsing readable_text(input), as the library reports it
// for the input itself: a read error is the fault of the line after the last
// one read, over anything but an earlier faulty line; an input that could not
// be opened gives -1.
parse_outcome reported_outcome(bool opened, bool read_failed, int os_error, parse_outcome parsed,
                               std::size_t reader_lines);

// Parses the loaded input as pexilon_parse_config parses the file it came
// from, telling `listener` of every line when there is one.
config_report parse_loaded(const loaded_input &input, parsed_config *config,
                           account_listener *listener = nullptr);

} // namespace pexilon::input
