#include "check/run_state.h"

#include <algorithm>

#include "check/run_rules.h"
#include "config/section_names.h"

namespace pexilon::check {

// A section name as it is written: the reader joins bracket groups with "||".
std::string as_header(std::string_view section) { return header_text(section); }

std::vector<diagnostic> found_diagnostics::in_order()
{
    // Only held diagnostics stand out of order, and most runs hold none:
    // the diagnostics, large as they are, are moved once, in order.
    std::vector<std::size_t> index(found_.size());
    for (std::size_t i = 0; i < index.size(); ++i)
        index[i] = i;
    const auto earlier = [&](std::size_t a, std::size_t b) {
        return found_[a].order < found_[b].order;
    };
    if (!std::is_sorted(index.begin(), index.end(), earlier))
        std::sort(index.begin(), index.end(), earlier);
    std::vector<diagnostic> out;
    out.reserve(found_.size());
    for (const std::size_t i : index)
        out.push_back(std::move(found_[i].held));
    found_.clear();
    return out;
}

// Where the line leaves the reader: the header, the pair and the code block
// it belongs to.
void track_line(run_state &s, const line_account &event)
{
    const std::size_t reader_line = event.reader_line;
    switch (event.kind) {
    case line_kind::header:
        close_section(s);
        s.header_line = reader_line;
        s.header_span = event.name;
        break;
    case line_kind::name_value:
        end_pair(s);
        s.pair_line = reader_line;
        s.pair_span = event.name;
        if (s.section_code == section_camera)
            if (const key_row *key = lookup_row(camera_keys, s.span_text(event.name));
                key != nullptr && key->form == value_form::pair)
                s.camera_halves.size_line = true;
        break;
    case line_kind::block_start:
        s.block_start = reader_line;
        s.block_lines = 0;
        break;
    case line_kind::block_line:
        ++s.block_lines;
        break;
    default:
        break;
    }
    if (s.section_code == 0 && s.header_line != 0 && event.kind != line_kind::header &&
        event.kind != line_kind::blank && event.kind != line_kind::comment)
        ++s.ignored_lines;
}

} // namespace pexilon::check
