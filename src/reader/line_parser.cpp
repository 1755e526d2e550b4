#include "reader/line_parser.h"

#include "reader/line_binding.h"
#include "reader/line_loop.h"

namespace pexilon {

parse_outcome parse_lines(line_reader reader, void *stream, line_handler handler, void *user,
                          block_taker taker, reader_sink *sink) noexcept
{
    callback_source source{reader, stream};
    callback_receiver receiver{handler, user, taker};
    return run_line_parser(source, receiver, sink);
}

} // namespace pexilon
