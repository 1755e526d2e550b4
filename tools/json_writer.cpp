// Streaming JSON output; strings are escaped by nlohmann-json.
#include "json_writer.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

namespace pexilon::tool {

void json_writer::newline_and_indent()
{
    if (compact_)
        return;
    fputc_unlocked('\n', out_);
    for (std::size_t i = 0; i < empty_.size(); ++i)
        put("  ");
}

void json_writer::before_value()
{
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (empty_.empty())
        return;
    if (!empty_.back())
        fputc_unlocked(',', out_);
    empty_.back() = false;
    newline_and_indent();
}

void json_writer::open(char bracket)
{
    before_value();
    fputc_unlocked(bracket, out_);
    empty_.push_back(true);
}

void json_writer::close(char bracket)
{
    const bool was_empty = empty_.back();
    empty_.pop_back();
    if (!was_empty)
        newline_and_indent();
    fputc_unlocked(bracket, out_);
}

void json_writer::key(std::string_view name)
{
    string(name);
    put(compact_ ? ":" : ": ");
    after_key_ = true;
}

void json_writer::string(std::string_view bytes)
{
    before_value();
    const bool plain = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    });
    if (plain) {
        fputc_unlocked('"', out_);
        put(bytes);
        fputc_unlocked('"', out_);
        return;
    }
    // A string value holds no nested values, so neither building it nor
    // destroying it needs more memory than the text itself; the replace
    // handler turns bytes that are not UTF-8 into U+FFFD instead of throwing.
    const nlohmann::json text = std::string(bytes);
    put(text.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void json_writer::number(std::int64_t value)
{
    before_value();
    std::fprintf(out_, "%lld", static_cast<long long>(value));
}

void json_writer::null()
{
    before_value();
    put("null");
}

void json_writer::boolean(bool value)
{
    before_value();
    put(value ? "true" : "false");
}

void json_writer::finish() { fputc_unlocked('\n', out_); }

} // namespace pexilon::tool
