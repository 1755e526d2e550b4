#include "reader/stream_source.h"

#include "reader/line_binding.h"
#include "reader/stream_lines.h"

namespace pexilon {

parse_outcome parse_stream(std::FILE *stream, line_handler handler, void *user,
                           block_taker taker) noexcept
{
    callback_receiver receiver{handler, user, taker};
    return parse_stream(stream, receiver);
}

parse_outcome parse_path(const char *path, line_handler handler, void *user,
                         block_taker taker) noexcept
{
    callback_receiver receiver{handler, user, taker};
    return parse_path(path, receiver);
}

} // namespace pexilon
