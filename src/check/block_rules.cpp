// Code-block markers the reader does not take for markers: it compares the
// whole trimmed line, so a comment after a marker, a typo, or a start marker
// where an end was due turns code into settings or settings into code.
#include "check/line_rules.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "check/suggestions.h"
#include "reader/line_loop.h"
#include "reader/text_helpers.h"

namespace pexilon::check {

namespace {

const std::string &start_marker()
{
    static const std::string text = line_detail::code_block_start.text;
    return text;
}

const std::string &end_marker()
{
    static const std::string text = block_detail::code_block_end.text;
    return text;
}

// The line's first word.
struct words {
    std::size_t begin = 0;
    std::size_t word_end = 0;
};

std::uint64_t eight_bytes(const char *at)
{
    std::uint64_t x = 0;
    std::memcpy(&x, at, sizeof x);
    return x;
}

// The high bit of each of eight bytes that is not printable ASCII (0x21 to
// 0x7e): below 0x21 or above 0x7e (the tests of "Bit Twiddling Hacks" for a
// byte less than or more than n). Either may flag a byte too many after a
// true one, never one before it: the lowest flag is exact.
std::uint64_t not_graphic(std::uint64_t x)
{
    constexpr std::uint64_t ones = 0x0101010101010101;
    constexpr std::uint64_t highs = ones * 0x80;
    const std::uint64_t below = (x - ones * 0x21) & ~x & highs;
    const std::uint64_t above = ((x + ones * (0x7f - 0x7e)) | x) & highs;
    return below | above;
}

// The first of eight bytes read by memcpy whose byte in `flags` is not 0,
// when every byte before it is 0: the lowest on a little-endian machine
// (the only one first_word takes eight bytes at a time on, since on another
// the false flags of not_graphic would come first).
std::size_t first_flagged(std::uint64_t flags)
{
    return static_cast<std::size_t>(std::countr_zero(flags)) / 8;
}

constexpr bool eight_at_a_time = std::endian::native == std::endian::little;

// Every code line goes through here. Blanks and printable ASCII, what code
// is mostly made of, are told eight bytes at a time, and the first other
// byte among them found at once; the general tests take over there.
words first_word(std::string_view text)
{
    words w;
    const std::size_t size = text.size();
    constexpr std::uint64_t blanks = 0x2020202020202020;
    while (eight_at_a_time && w.begin + 8 <= size) {
        const std::uint64_t other = eight_bytes(text.data() + w.begin) ^ blanks;
        if (other != 0) {
            w.begin += first_flagged(other);
            break;
        }
        w.begin += 8;
    }
    while (w.begin < size && text[w.begin] == ' ')
        ++w.begin;
    while (w.begin < size && !is_graphic(text[w.begin]) && is_white(text[w.begin]))
        ++w.begin;
    // The word ends at white space.
    w.word_end = w.begin;
    while (eight_at_a_time && w.word_end + 8 <= size) {
        const std::uint64_t flags = not_graphic(eight_bytes(text.data() + w.word_end));
        if (flags != 0) {
            w.word_end += first_flagged(flags);
            break;
        }
        w.word_end += 8;
    }
    while (w.word_end < size && is_graphic(text[w.word_end]))
        ++w.word_end;
    while (w.word_end < size && !is_white(text[w.word_end]))
        ++w.word_end;
    return w;
}

// Where the line's text ends: all after it is white space or the newline.
std::size_t text_end(std::string_view text, std::size_t from)
{
    std::size_t end = text.size();
    while (end > from && (is_white(text[end - 1]) || text[end - 1] == '\n'))
        --end;
    return end;
}

bool same_marker(std::string_view word, const std::string &marker)
{
    return word.size() == marker.size() &&
           std::equal(word.begin(), word.end(), marker.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

// Whether `word` may be a marker or near one. A near name is at most two
// edits from a marker, and the other way needs an "=" and "CODE_BLOCK_S" or
// "_E": most code lines' first words can be neither and are not compared at
// all.
bool may_be_marker(std::string_view word)
{
    constexpr std::size_t shorter =
        std::min(line_detail::code_block_start.length, block_detail::code_block_end.length);
    const bool near_in_length = word.size() + 2 >= shorter;
    const bool may_spell_one = word.size() >= std::string_view("CODE_BLOCK_S").size() &&
                               word.find('=') != std::string_view::npos;
    return near_in_length || may_spell_one;
}

// The marker `word` is near, if any: a typo, or one "=" too many or few.
std::string near_marker(std::string_view word)
{
    if (!may_be_marker(word))
        return {};
    static const std::vector<std::string> markers{start_marker(), end_marker()};
    std::string near = nearest_name(word, markers);
    if (near.empty() && word.find('=') != std::string_view::npos) {
        std::string upper;
        for (const char c : word)
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper.find("CODE_BLOCK_S") != std::string::npos)
            near = start_marker();
        else if (upper.find("CODE_BLOCK_E") != std::string::npos)
            near = end_marker();
    }
    return near;
}

} // namespace

bool looks_like_marker(std::string_view text)
{
    const words w = first_word(text);
    const std::string_view word = text.substr(w.begin, w.word_end - w.begin);
    return !word.empty() && word.size() <= 2 * start_marker().size() &&
           (same_marker(word, start_marker()) || same_marker(word, end_marker()) ||
            !near_marker(word).empty());
}

std::optional<diagnostic> check_block_marker(const line_account &line, std::string_view text)
{
    const bool in_block = line.kind == line_kind::block_line;
    const words w = first_word(text);
    if (w.begin == w.word_end)
        return std::nullopt;
    const std::string_view word = text.substr(w.begin, w.word_end - w.begin);
    // A word twice a marker's length is no marker, misspelt or not; it is
    // not compared (a long line's pieces, a code line, would cost a
    // comparison of every byte with every byte of both markers).
    if (word.size() > 2 * line_detail::code_block_start.length || !may_be_marker(word))
        return std::nullopt;
    // The words of a diagnostic are made only for a line that has one.
    const auto block = [&] {
        return "the code block from line " + std::to_string(line.block_start);
    };
    const auto effect = [&] {
        return in_block ? "it is kept as code and " + block() + " goes on"
                        : std::string(
                              "it is read as a setting, not a marker, and the lines below with it");
    };
    const bool start = same_marker(word, start_marker());
    if (start || same_marker(word, end_marker())) {
        const std::string &marker = start ? start_marker() : end_marker();
        const std::size_t end = text_end(text, w.word_end);
        if (w.word_end < end)
            return diagnostic{diag_id::block_marker,
                              "text after " + marker + ": a marker stands alone on its line, so " +
                                  effect(),
                              w.word_end, end, "put the comment on a line of its own"};
        if (in_block && start)
            return diagnostic{diag_id::block_marker,
                              "a start marker inside " + block() +
                                  ": it is kept as code, so that block has no end before here",
                              w.begin, end,
                              "end the block above with " + end_marker() + " before this one"};
        if (!in_block && !start)
            return diagnostic{diag_id::block_marker,
                              "an end marker with no code block open: it is ignored", w.begin, end,
                              "remove it, or start the block with " + start_marker()};
        return std::nullopt;
    }
    const std::string near = near_marker(word);
    if (near.empty())
        return std::nullopt;
    diagnostic f{diag_id::block_marker,
                 "'" + std::string(word) + "' is not a code-block marker: " + effect(), w.begin,
                 w.word_end, "did you mean " + near + "?"};
    // One marker is near: the line becomes it.
    f.fixes.push_back(
        {{0, false, {w.begin, w.word_end}},
         near,
         near == start_marker() ? "a code block starts here" : "the code block ends here",
         {record_change{0, control_code_bit}}});
    return f;
}

} // namespace pexilon::check
