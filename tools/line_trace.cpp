// A parse with the library's own handlers, wrapped to note editor lines.
#include "line_trace.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "config/code_tables.h"
#include "reader/line_parser.h"
#include "reader/text_source.h"

namespace pexilon_tool {

namespace {

struct traced_parse {
    pexilon::config_session session;
    pexilon::text_cursor cursor;
    line_trace &trace;
    std::uint32_t next_line = 1;  // editor line of the next piece
    std::uint32_t piece_line = 0; // editor line of the piece last read
};

// read_text_line, also following editor lines: a piece that ends in a
// newline ends its line, one that does not is continued by the next.
char *read_traced(char *buffer, int size, void *stream) noexcept
{
    auto &parse = *static_cast<traced_parse *>(stream);
    char *piece = pexilon::read_text_line(buffer, size, &parse.cursor);
    if (piece == nullptr)
        return nullptr;
    parse.piece_line = parse.next_line;
    if (parse.cursor.position[-1] == '\n')
        ++parse.next_line;
    return piece;
}

struct camera_key {
    const char *name;
    camera_field first;
    camera_field last;
};

constexpr camera_key camera_keys[] = {
    {"CFG_MODE", field_cfg_mode, field_cfg_mode}, {"TYPE", field_type, field_type},
    {"SIZE", field_width, field_height},          {"BIT_WIDTH", field_bit_width, field_bit_width},
    {"FORMAT", field_format, field_format},       {"I2C_MODE", field_i2c_mode, field_i2c_mode},
    {"I2C_ADDR", field_i2c_addr, field_i2c_addr}, {"TRANS_LVL", field_trans_lvl, field_trans_lvl},
};

void note_camera_key(traced_parse &parse, const char *name)
{
    for (const camera_key &key : camera_keys)
        if (std::strcmp(name, key.name) == 0)
            for (unsigned f = key.first; f <= key.last; ++f)
                parse.trace.camera_lines[f] = parse.piece_line;
}

// The library's handler; every entry or control it appends came from the
// piece just read, since the reader reports each line as soon as it is read.
int traced_handler(void *user, const char *section, const char *name, const char *value) noexcept
{
    auto &parse = *static_cast<traced_parse *>(user);
    const int accepted = pexilon::session_handler(&parse.session, section, name, value);
    const parsed_config *config = parse.session.config;
    try {
        parse.trace.param_lines.resize(config->param_count, parse.piece_line);
        parse.trace.control_lines.resize(config->control_count, parse.piece_line);
        if (accepted != 0 && pexilon::event_of(name, value) == pexilon::handler_event::name_value &&
            pexilon::lookup_code(pexilon::section_codes, section) == pexilon::section_camera)
            note_camera_key(parse, name);
    } catch (const std::bad_alloc &) {
        // The trace cannot follow; the record goes on. Lines left out are
        // shown as 0 (unknown).
    }
    return accepted;
}

int traced_taker(void *user, const char *section, char *text, std::size_t size,
                 bool *taken) noexcept
{
    auto &parse = *static_cast<traced_parse *>(user);
    return pexilon::config_block_taker(&parse.session, section, text, size, taken);
}

} // namespace

pexilon::config_report parse_traced(std::FILE *stream, parsed_config *config, line_trace &trace)
{
    std::string bytes;
    char block[65536];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, stream)) > 0)
        bytes.append(block, n);
    pexilon::config_report report;
    if (std::ferror(stream)) {
        report.outcome = {PARSE_OPEN_FAILED, pexilon::fault::cannot_open, errno != 0 ? errno : EIO};
        return report;
    }
    traced_parse parse{pexilon::begin_session(config), {bytes.data(), bytes.size()}, trace};
    report.outcome =
        pexilon::parse_lines_detailed(read_traced, &parse, traced_handler, &parse, traced_taker);
    pexilon::end_session(parse.session);
    if (report.outcome.kind == pexilon::fault::rejected)
        report.reason = parse.session.first_reject;
    return report;
}

} // namespace pexilon_tool
