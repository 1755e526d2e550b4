// Flushing standard output along the way without losing why it failed.
#pragma once

#include <cstdio>

namespace pexilon::tool {

// Flushes `stream`, as before a line to standard error that must follow what
// is already written. When standard output fails, the errno is kept for the
// report at the end: later calls may have changed errno by then.
void flush_output(std::FILE *stream);

// Keeps errno when `stream` is standard output and has just failed: called
// right after a write, while errno still names the cause.
void note_output_error(std::FILE *stream);

// Flushes standard output and tells whether it and standard error were
// written without fault; `out_error` gets the errno of the first failure of
// standard output (EIO when it is not known).
bool outputs_written(int &out_error);

} // namespace pexilon::tool
