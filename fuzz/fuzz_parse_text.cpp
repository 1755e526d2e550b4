// Parses the input from memory (counted and terminated) and from a file and
// checks that all give the same result and the same record, and that every
// event the reader hands to a handler is well-formed.
#include <string>
#include <vector>

#include "config/parse_config.h"
#include "fuzz_support.h"
#include "reader/text_source.h"

namespace {

bool white(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool trimmed(const char *s)
{
    const std::size_t n = std::strlen(s);
    return n == 0 || (!white(s[0]) && !white(s[n - 1]));
}

// Records every handler call as one string and checks its shape.
struct event_log {
    std::vector<std::string> events;

    static int handle(void *user, const char *section, const char *name, const char *value)
    {
        FUZZ_CHECK(section != nullptr);
        FUZZ_CHECK(std::strlen(section) <= 49);
        const pexilon::handler_event event = pexilon::event_of(name, value);
        if (event == pexilon::handler_event::code_block) {
            fuzz::check_code_text(value);
        } else if (event == pexilon::handler_event::name_value) {
            // A name/value or continuation line: both texts trimmed, and the
            // name ends before the first separator. A continuation repeats
            // the name cut to 49 characters, which may end in white space.
            FUZZ_CHECK(value != nullptr);
            FUZZ_CHECK(trimmed(value));
            FUZZ_CHECK(trimmed(name) || (std::strlen(name) == 49 && !white(name[0])));
            FUZZ_CHECK(std::strpbrk(name, "=:") == nullptr);
        }
        std::string e = section;
        e += '\x01';
        e += name ? name : "<null>";
        e += '\x01';
        e += value ? value : "<null>";
        static_cast<event_log *>(user)->events.push_back(std::move(e));
        return 1;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const long lines = fuzz::line_count(data, size);

    // The reader alone, with a handler that accepts everything.
    event_log counted;
    const pexilon::parse_outcome raw =
        pexilon::parse_bytes(bytes, size, event_log::handle, &counted);
    FUZZ_CHECK(raw.line >= 0 && raw.line <= lines + 1);
    FUZZ_CHECK((raw.line == 0) == (raw.kind == pexilon::fault::none));

    // The whole library, from memory and from a file.
    parsed_config in_memory{};
    const pexilon::config_report mem = pexilon::parse_config_bytes(bytes, size, &in_memory);
    FUZZ_CHECK(mem.outcome.line >= 0 && mem.outcome.line <= lines + 1);
    fuzz::check_record(in_memory);
    const char *said = pexilon::describe_fault(mem);
    FUZZ_CHECK(said != nullptr && (said[0] == '\0') == (mem.outcome.line == 0));

    // The file reader hands out the same lines as the memory reader, NUL
    // bytes included, so the two agree on every input.
    {
        parsed_config from_file{};
        const pexilon::config_report file =
            pexilon::parse_config_path(fuzz::scratch_file(data, size), &from_file);
        FUZZ_CHECK(file.outcome.line == mem.outcome.line);
        FUZZ_CHECK(file.outcome.kind == mem.outcome.kind);
        FUZZ_CHECK(file.reason == mem.reason);
        fuzz::check_same_record(from_file, in_memory);
        pexilon::release_record(from_file);
    }
    pexilon::release_record(in_memory);
    return 0;
}
