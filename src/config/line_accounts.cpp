// The reader's and the interpreter's sinks joined into one account a line.
#include "config/line_accounts.h"

#include <algorithm>
#include <cstring>

#include "config/interpreter.h"
#include "config/interpreter_events.h"
#include "config/value_accounts.h"
#include "reader/byte_order_mark.h"
#include "reader/memory_lines.h"

namespace pexilon {

namespace {

// A number's offsets are kept in one byte each (number_account).
static_assert(line_buffer_size - 1 + byte_order_mark.size() <= UINT8_MAX);

class account_builder final : public reader_sink, public config_sink {
public:
    explicit account_builder(account_listener &listener) noexcept : listener_(listener)
    {
        number_room = numbers_;
    }

    // Hands over the line still open, if any.
    void finish() noexcept
    {
        if (open_)
            listener_.account(line_);
        open_ = false;
    }

    // --- reader_sink

    void line(std::size_t reader_line, const line_event &event) noexcept override
    {
        finish();
        open_ = true;
        // Member by member: the section and its code carry over, and a
        // fresh account assigned whole is cleared with a string store that
        // cost more than the line's other work here.
        line_.reader_line = reader_line;
        line_.kind = event.kind;
        line_.name = event.name;
        line_.value = event.value;
        value_offset = event.value.begin;
        line_.rest = event.rest;
        line_.continues = {};
        line_.block_start = event.block_start;
        line_.fate = line_fate::none;
        line_.cause = ignore_cause::unknown_key;
        line_.key = key_account{};
        line_.refused = reject_reason::none;
        line_.problem = event.problem;
        if (event.kind == line_kind::header) {
            copy(section_, sizeof section_, event.section);
            line_.section = section_;
            line_.in_section = true;
        }
        if (event.kind == line_kind::continuation) {
            copy(continues_, sizeof continues_, event.previous_name);
            line_.continues = continues_;
        }
    }

    void fault_at(std::size_t reader_line, fault kind, bool replaces) noexcept override
    {
        if (!open_ || reader_line != line_.reader_line)
            return;
        if (line_.problem == fault::none || replaces)
            line_.problem = kind;
    }

    // --- config_sink

    void section(const char *, std::uint32_t code) noexcept override
    {
        line_.fate = line_fate::section;
        line_.section_code = code;
    }

    void applied(const key_account &account, const char *, const char *) noexcept override
    {
        line_.fate = line_fate::stored;
        line_.key = account;
        // The interpreter accounts for the numbers in numbers_, with
        // offsets into the line (see parse_config_accounted).
        const std::size_t count = std::min(account.numbers.size(), std::size(numbers_));
        if (account.numbers.data() != numbers_)
            std::copy_n(account.numbers.data(), count, numbers_);
        line_.key.numbers = {numbers_, count};
    }

    void code_attached(std::size_t control) noexcept override
    {
        line_.fate = line_fate::code;
        line_.key.index = control;
    }

    void ignored(ignore_cause cause, const char *) noexcept override
    {
        line_.fate = line_fate::ignored;
        line_.cause = cause;
    }

    void rejected(reject_reason reason) noexcept override { line_.refused = reason; }

private:
    static void copy(char *to, std::size_t room, const char *from) noexcept
    {
        const std::size_t n = strnlen(from, room - 1);
        std::memcpy(to, from, n);
        to[n] = '\0';
    }

    account_listener &listener_;
    line_account line_;
    bool open_ = false;
    char section_[name_buffer_size] = {};
    char continues_[name_buffer_size] = {};
    number_account numbers_[max_accounted_numbers];
};

} // namespace

config_report parse_config_accounted(const char *data, std::size_t size, parsed_config *config,
                                     account_listener &listener) noexcept
{
    account_builder builder(listener);
    interpreter_state state = begin_interpreting(config);
    state.sink = &builder;
    // The interpreter's own binding: its events carry where each value
    // ends, so the numbers' account need not look for it again.
    interpreter_receiver receiver{state};
    config_report report;
    report.outcome = parse_bytes(data, size, receiver, &builder);
    builder.finish();
    end_interpreting(state);
    if (report.outcome.kind == fault::rejected)
        report.reason = state.first_reject;
    return report;
}

} // namespace pexilon
