// Diagnostic printing of a filled parsed_config.
//
// The layout is fixed and read by people and by scripts alike, so every line
// below is written with one format and one field. 32-bit fields go through
// int32_t so that a value with the top bit set prints negative; 64-bit fields
// use PRId64, which is "ld" on Linux x86-64.
#include "dump/config_dump.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdint>
#include <iterator>

#include "config/code_tables.h"
#include "config/record_fields.h"
#include "support/hex_text.h"

namespace pexilon {

namespace {

// A label in the dump: the field's name in capitals, "BIT_WIDTH".
void print_label(std::FILE *err, const record_member &member, int width, const char *after)
{
    char label[32] = {};
    for (std::size_t i = 0; member.name[i] != '\0' && i + 1 < sizeof label; ++i)
        label[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(member.name[i])));
    std::fprintf(err, "%-*s%s", width, label, after);
}

// A numeric field as the dump writes it: 32-bit fields as signed (two's
// complement reinterpretation), narrower ones as they are, 64-bit ones with
// PRId64, FORMAT in hexadecimal.
void print_number(std::FILE *err, const void *record, const record_member &member)
{
    const std::int64_t value = number_of(record, member);
    if (member.shown == shown_as::hex_byte)
        std::fprintf(err, "%s\n", hex_spelling(static_cast<unsigned>(value), 2).c_str());
    else if (member.size == 8)
        std::fprintf(err, "%" PRId64 "\n", value);
    else
        std::fprintf(err, "%d\n", static_cast<int>(static_cast<std::int32_t>(value)));
}

} // namespace

void dump_camera_settings(const parsed_config *config, std::FILE *err) noexcept
{
    if (config == nullptr)
        return;
    for (const record_member &member : camera_members) {
        print_label(err, member, 9, ": ");
        if (member.form == field_form::text) {
            // type holds no terminator when it is full.
            const std::string_view text = text_of(&config->camera, member);
            std::fprintf(err, "%.*s\n", static_cast<int>(text.size()), text.data());
        } else {
            print_number(err, &config->camera, member);
        }
    }
}

void dump_controls(const parsed_config *config, std::FILE *err) noexcept
{
    if (config == nullptr || config->controls == nullptr)
        return;
    for (std::uint32_t i = 0; i < config->control_count; ++i) {
        const control_entry &control = config->controls[i];
        for (const key_row &key : rows_of(control_keys)) {
            const record_member &member = *member_of(key);
            if (member.form == field_form::text) {
                print_label(err, member, 0, "\t= ");
                std::fprintf(err, "%s\n", text_of(&control, member).data());
            } else {
                print_label(err, member, 11, "= ");
                print_number(err, &control, member);
            }
        }
        // A control without a code block shows "(null)", as glibc's printf
        // does for a null %s argument; passing the null itself is undefined.
        std::fprintf(err, "%s\n", control.code != nullptr ? control.code : "(null)");
    }
}

void dump_param_entries(const parsed_config *config, std::FILE *out, std::FILE *err) noexcept
{
    if (config == nullptr || config->params == nullptr)
        return;
    std::uint32_t group = 0;
    for (std::uint32_t i = 0; i < config->param_count; ++i) {
        const param_entry &entry = config->params[i];
        const std::uint32_t g = group_of(entry.type);
        if (g != group) {
            // The numbers before the header must reach a shared terminal or
            // file first, or the header would appear among them.
            std::fflush(out);
            std::fprintf(err, "[%s]\n", hex_spelling(static_cast<unsigned>(g), 4).c_str());
            group = g;
        }
        const std::size_t count = std::min<std::size_t>(entry.value_count, std::size(entry.values));
        for (std::size_t v = 0; v < count; ++v)
            std::fprintf(out, "%s ",
                         hex_spelling(static_cast<unsigned>(entry.values[v]), 4).c_str());
        std::fputc('\n', out);
    }
}

} // namespace pexilon
