// Working state of one run of the line parser, shared by the main loop and
// the code-block mode. It lives on the stack of that run.
#pragma once

#include <cstddef>

#include "reader/block_text.h"
#include "reader/line_binding.h"
#include "reader/line_parser.h"
#include "reader/reader_sink.h"
#include "reader/text_helpers.h"

namespace pexilon {

template <typename Source, typename Receiver>
struct parser_state {
    Source &source;
    Receiver &receiver;
    reader_sink *sink; // null for the library's own parses

    char *line = nullptr; // the current line: in `buffer` or in the reader's own memory
    char buffer[line_buffer_size] = {};
    char section[name_buffer_size] = {};
    char previous_name[name_buffer_size] = {};
    block_text block{};          // the text of code blocks, one after the other
    std::size_t line_number = 0; // every successful read counts, the first is 1
    std::size_t error_line = 0;  // 0 or the line of the first fault
    fault error_kind = fault::none;

    // Points `line` at the next line; false at the end of the input.
    bool next_line() noexcept
    {
        line = source.next(buffer, line_buffer_size);
        if (line == nullptr)
            return false;
        ++line_number;
        return true;
    }

    // Where the current line's text ends: at its first terminator or newline.
    // Only lines that are trimmed at their end ask, once; the source may know
    // it already, and otherwise it is looked for.
    char *end_of_text() noexcept
    {
        if constexpr (knows_text_end<Source>) {
            if (char *end = source.text_end())
                return end;
        }
        return line + text_length(line);
    }

    // Bytes of the current line and after it before this may be read, or
    // null when that is not known (then no more than the text is read).
    const char *readable_end() const noexcept
    {
        if constexpr (knows_readable_end<Source>)
            return source.readable_end();
        else
            return nullptr;
    }

    // Records a fault at the current line unless an earlier one stands.
    void record(fault kind) noexcept
    {
        if (sink != nullptr)
            sink->fault_at(line_number, kind, false);
        if (error_line == 0) {
            error_line = line_number;
            error_kind = kind;
        }
    }

    // Records a fault at the current line, replacing an earlier one: the
    // failures of code blocks are reported over anything before them.
    void record_over(fault kind) noexcept
    {
        if (sink != nullptr)
            sink->fault_at(line_number, kind, true);
        error_line = line_number;
        error_kind = kind;
    }

    // Hands one event to the handler; a refusal is a fault of this line.
    void report(const char *name, const char *value) noexcept
    {
        if (receiver.handle(section, name, value) == 0)
            record(fault::rejected);
    }

    // report for a value of the current line whose terminator the parser
    // wrote at `value_end`: a receiver that can use it is told where.
    void report_value(const char *name, const char *value, const char *value_end) noexcept
    {
        if constexpr (takes_value_end<Receiver>) {
            if (receiver.handle(section, name, value, value_end) == 0)
                record(fault::rejected);
        } else {
            report(name, value);
        }
    }

    // Hands a code block's text to the taker, or to the handler. Returns
    // true when the taker kept the heap block.
    bool report_block(char *text, std::size_t size) noexcept
    {
        if (!receiver.takes_blocks()) {
            report(nullptr, text);
            return false;
        }
        bool taken = false;
        if (receiver.take_block(section, text, size, &taken) == 0)
            record(fault::rejected);
        return taken;
    }

    // Tells the sink, if any, what the current line was taken for.
    void tell(line_kind kind) noexcept
    {
        if (sink != nullptr) {
            line_event event;
            event.kind = kind;
            event.section = section;
            sink->line(line_number, event);
        }
    }

    // The offset of `p`, a position in the line buffer.
    std::size_t offset(const char *p) const noexcept { return static_cast<std::size_t>(p - line); }

    parse_outcome outcome() const noexcept { return {reported_line(error_line), error_kind, 0}; }
};

} // namespace pexilon
