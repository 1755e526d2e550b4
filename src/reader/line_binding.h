// What the line parser is bound to: where its lines come from (a source) and
// where its events go (a receiver). The parser is a template over both, so
// that the library's own parse calls its reader and its interpreter
// directly; the function-pointer interface of line_parser.h is one binding.
//
// A source has
//     char *next(char *buffer, int size) noexcept;
// with the contract of line_reader, and may tell more of the line it handed
// out, which the parser then need not look for:
//     char *text_end() const noexcept;        // where its text ends, or null
//     const char *readable_end() const noexcept; // bytes before it may be read
// A receiver has
//     int handle(const char *section, const char *name, const char *value) noexcept;
//     bool takes_blocks() const noexcept;
//     int take_block(const char *section, char *text, std::size_t size, bool *taken) noexcept;
// with the contracts of line_handler and block_taker; take_block is called
// only when takes_blocks() is true, and the text otherwise goes to handle.
#pragma once

#include <concepts>
#include <cstddef>

#include "reader/line_parser.h"

namespace pexilon {

// The optional capabilities, named so that a binding made for speed can
// assert them: a misspelt member fails to compile instead of falling back
// to the slow path.
template <typename S>
concept knows_text_end = requires(const S &source)
{
    {
        source.text_end()
        } -> std::same_as<char *>;
};
template <typename S>
concept knows_readable_end = requires(const S &source)
{
    {
        source.readable_end()
        } -> std::same_as<const char *>;
};
template <typename R>
concept takes_value_end = requires(R &receiver, const char *text)
{
    {
        receiver.handle(text, text, text, text)
        } -> std::same_as<int>;
};

// A line_reader and its stream.
struct callback_source {
    line_reader reader;
    void *stream;

    char *next(char *buffer, int size) noexcept { return reader(buffer, size, stream); }
};

// A line_handler, an optional block_taker and their user pointer.
struct callback_receiver {
    line_handler handler;
    void *user;
    block_taker taker;

    int handle(const char *section, const char *name, const char *value) noexcept
    {
        return handler(user, section, name, value);
    }
    bool takes_blocks() const noexcept { return taker != nullptr; }
    int take_block(const char *section, char *text, std::size_t size, bool *taken) noexcept
    {
        return taker(user, section, text, size, taken);
    }
};

} // namespace pexilon
