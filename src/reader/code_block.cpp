// The code-block mode of the line parser: the lines between the start and end
// markers are gathered, uninterpreted, into one text for the handler.
#include <algorithm>
#include <cstring>

#include "reader/parser_state.h"
#include "reader/text_helpers.h"
#include "support/heap.h"

namespace pexilon {

namespace {

constexpr char code_block_end[] = "======CODE_BLOCK_END======";
constexpr std::size_t initial_capacity = 100;
constexpr std::size_t slack = 100;

// The gathered text on the heap. Once an allocation fails the text is
// dropped, but the block is still read to its end.
class block_text {
public:
    block_text() noexcept : data_(static_cast<char *>(heap_malloc(initial_capacity)))
    {
        if (data_ != nullptr) {
            data_[0] = '\0';
            capacity_ = initial_capacity;
        }
    }
    ~block_text() { heap_free(data_); }
    block_text(const block_text &) = delete;
    block_text &operator=(const block_text &) = delete;

    bool held() const noexcept { return data_ != nullptr; }
    char *data() noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

    // Gives the block up: its new owner releases it.
    void release() noexcept { data_ = nullptr; }

    // Appends the `length` characters of `line` and a newline; false when
    // the text could not grow.
    bool append(const char *line, std::size_t length) noexcept
    {
        if (data_ == nullptr)
            return true; // already dropped and reported
        // The estimate counts 3 bytes per line where 2 (newline and
        // terminator) are needed, so it always covers the text; the buffer
        // grows when the estimate passes it, with slack and at least doubling
        // so that a long block costs linear time.
        estimate_ += length + 3;
        if (capacity_ < estimate_ && !grow())
            return false;
        std::memcpy(data_ + size_, line, length);
        size_ += length;
        data_[size_++] = '\n';
        data_[size_] = '\0';
        return true;
    }

private:
    bool grow() noexcept
    {
        std::size_t wanted = estimate_ + slack;
        if (capacity_ <= static_cast<std::size_t>(-1) / 2)
            wanted = std::max(wanted, capacity_ * 2);
        void *block = heap_realloc(data_, wanted);
        if (block == nullptr) {
            heap_free(data_);
            data_ = nullptr;
            return false;
        }
        data_ = static_cast<char *>(block);
        capacity_ = wanted;
        return true;
    }

    char *data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t estimate_ = 0;
};

// A closed bracket group at the start of a line ends a block early.
bool is_closed_header(char *text) noexcept
{
    return *text == '[' && *scan_to_bracket(text + 1) == ']';
}

} // namespace

namespace {

void tell_block(parser_state &state, line_kind kind, std::size_t start_line) noexcept
{
    if (state.sink != nullptr) {
        line_event event;
        event.kind = kind;
        event.section = state.section;
        event.block_start = start_line;
        state.sink->line(state.line_number, event);
    }
}

} // namespace

void read_code_block(parser_state &state) noexcept
{
    const std::size_t start_line = state.line_number;
    block_text text;
    if (!text.held())
        state.record(fault::block_no_memory);
    while (state.next_line()) {
        const char *end = trim_end(state.line);
        char *start = trim_left(state.line);
        if (is_closed_header(start)) {
            tell_block(state, line_kind::block_cut, start_line);
            state.record_over(fault::block_cut_off);
            return;
        }
        if (*start == '=' && equals_ignoring_case(start, code_block_end)) {
            tell_block(state, line_kind::block_end, start_line);
            if (text.held() && state.report_block(text.data(), text.size()))
                text.release();
            return;
        }
        tell_block(state, line_kind::block_line, start_line);
        if (!text.append(state.line, static_cast<std::size_t>(end - state.line)))
            state.record(fault::block_no_memory);
    }
    state.record_over(fault::block_unterminated);
}

} // namespace pexilon
