// Checking the streams the program writes.
#include "output_check.h"

#include <cerrno>

namespace pexilon::tool {

namespace {

int first_stdout_error = 0;

} // namespace

void flush_output(std::FILE *stream)
{
    if (std::fflush(stream) != 0 && stream == stdout && first_stdout_error == 0)
        first_stdout_error = errno;
}

void note_output_error(std::FILE *stream)
{
    if (stream == stdout && first_stdout_error == 0 && std::ferror(stream))
        first_stdout_error = errno;
}

bool outputs_written(int &out_error)
{
    flush_output(stdout);
    out_error = 0;
    if (std::ferror(stdout))
        out_error = first_stdout_error != 0 ? first_stdout_error : EIO;
    const bool err_failed = std::fflush(stderr) != 0 || std::ferror(stderr);
    return out_error == 0 && !err_failed;
}

} // namespace pexilon::tool
