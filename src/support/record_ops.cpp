#include "support/record_ops.h"

#include <cstring>

#include "support/heap.h"

namespace pexilon {

void release_record(parsed_config &config) noexcept
{
    for (std::uint32_t i = 0; i < config.control_count; ++i)
        heap_free(config.controls[i].code);
    heap_free(config.controls);
    heap_free(config.params);
    config = parsed_config{};
}

} // namespace pexilon
