// A JSON text written as it goes: nothing of the document is held but the
// nesting, so the output of a large record needs no memory of its own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace pexilon::tool {

class json_writer {
public:
    // `compact` writes one line; otherwise two spaces indent each level.
    json_writer(std::FILE *out, bool compact) : out_(out), compact_(compact) {}

    void begin_object() { open('{'); }
    void end_object() { close('}'); }
    void begin_array() { open('['); }
    void end_array() { close(']'); }
    void key(std::string_view name);

    // The bytes as a JSON string. They need not be UTF-8: every byte that
    // cannot start a UTF-8 sequence becomes U+FFFD, and so does a sequence
    // that breaks off, once for the bytes read so far, the byte that broke
    // it being read again on its own.
    void string(std::string_view bytes);
    void number(std::int64_t value);
    void null();
    void boolean(bool value);
    // A newline after the document.
    void finish();

private:
    // The program writes from one thread only: the unlocked stdio calls
    // spare a lock per character, a third of the time of a large document.
    void open(char bracket);
    void close(char bracket);
    void before_value();
    void newline_and_indent();
    void put(std::string_view text) { fwrite_unlocked(text.data(), 1, text.size(), out_); }

    std::FILE *out_;
    bool compact_;
    bool after_key_ = false;
    std::vector<bool> empty_; // per open container: nothing written in it yet
};

} // namespace pexilon::tool
