// A line that occurs nowhere in the other text can only be changed, so it is
// left out of the search for the shortest edit, which then runs on the lines
// the two texts share (as GNU diff discards such lines). Formatting a
// document laid out otherwise changes nearly every line: the search is then
// over a handful of lines instead of costing the document's size times the
// edit's, and the edit is as short, since no line left out could be kept.
// Lines are compared as numbers, each distinct line numbered once.
#include "line_diff.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pexilon::lsp {

std::vector<std::string_view> lines_of(std::string_view text)
{
    std::vector<std::string_view> lines;
    // Room for lines of eight bytes on average, so that a text of lines of
    // configuration is not copied as the list grows; pages not written are
    // never touched.
    lines.reserve(text.size() / 8 + 1);
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::size_t length = newline == std::string_view::npos ? text.size() : newline + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

namespace {

// The lines of each side that the other side holds too: their indexes, and
// the number of each line's text.
struct shared_lines {
    std::vector<std::size_t> a, b;
    std::vector<std::size_t> a_id, b_id;
};

// Numbers each distinct line once, in an open-addressed table of the lines'
// hashes: the texts hold hundreds of thousands of lines, which a node per
// line would allocate one by one. A slot keeps bits of its line's hash
// beside the line's number, so that a probe past another line seldom reads
// that line's text.
class line_numbers {
public:
    explicit line_numbers(std::size_t lines)
    {
        std::size_t size = 16;
        while (size < 2 * lines)
            size *= 2;
        slots_.assign(size, slot{});
    }

    // The number of `line`, whose hash is `hash`, and which sides (1: a,
    // 2: b) hold it so far.
    std::size_t number(std::string_view line, std::uint64_t hash, unsigned char side)
    {
        const std::size_t mask = slots_.size() - 1;
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            slot &here = slots_[at];
            if (here.id == empty) {
                here = {static_cast<std::uint32_t>(texts_.size()), tag};
                texts_.push_back(line);
                sides_.push_back(side);
                return here.id;
            }
            if (here.tag == tag && texts_[here.id] == line) {
                sides_[here.id] |= side;
                return here.id;
            }
        }
    }

    bool on_both_sides(std::size_t id) const { return sides_[id] == 3; }

    // Has the slot where `hash` is looked for fetched, ahead of number().
    void ask_for(std::uint64_t hash) const
    {
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }

private:
    // Lines are counted in 32 bits: a document is held to max_body_size.
    static constexpr std::uint32_t empty = static_cast<std::uint32_t>(-1);
    struct slot {
        std::uint32_t id = empty;
        std::uint32_t tag = 0;
    };
    std::vector<slot> slots_;
    std::vector<std::string_view> texts_;
    std::vector<unsigned char> sides_;
};

// A line's hash, from its bytes eight at a time and its last eight (which
// may be some of the same): the lines are short, and every line of both
// texts is hashed.
std::uint64_t line_hash(std::string_view line) noexcept
{
    const char *bytes = line.data();
    const std::size_t size = line.size();
    std::uint64_t h = 0x9E3779B97F4A7C15u ^ size;
    std::uint64_t word = 0;
    if (size >= 8) {
        for (std::size_t at = 0; at + 8 < size; at += 8) {
            std::memcpy(&word, bytes + at, 8);
            h = (h ^ word) * 0xBF58476D1CE4E5B9u;
            h ^= h >> 31;
        }
        std::memcpy(&word, bytes + size - 8, 8);
    } else if (size >= 4) {
        std::uint32_t first, last;
        std::memcpy(&first, bytes, 4);
        std::memcpy(&last, bytes + size - 4, 4);
        word = first | std::uint64_t{last} << 32;
    } else if (size > 0) {
        const auto byte = [&](std::size_t at) {
            return std::uint64_t{static_cast<unsigned char>(bytes[at])};
        };
        word = byte(0) | byte(size / 2) << 8 | byte(size - 1) << 16;
    }
    h = (h ^ word) * 0x94D049BB133111EBu;
    return h ^ (h >> 29);
}

// The hashes of a text's lines, and a filter of them: two bits of one
// 64-bit word for each hash. A line whose bits the other text's filter
// lacks is surely not in that text, and is never looked up: formatting a
// document laid out otherwise changes most lines, and a table of them all
// would be read at random, a cache miss a line. A large text's filter is
// larger than the cache too, so each line costs one word of it, asked for
// some lines ahead so that the misses overlap.
struct hashed_lines {
    static constexpr std::size_t ahead = 16;

    hashed_lines(const std::vector<std::string_view> &lines, std::size_t filter_words)
        : hashes(lines.size()), filter(filter_words, 0)
    {
        for (std::size_t i = 0; i < lines.size(); ++i)
            hashes[i] = line_hash(lines[i]);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i + ahead < lines.size())
                __builtin_prefetch(&filter[word(hashes[i + ahead])], 1);
            filter[word(hashes[i])] |= bits(hashes[i]);
        }
    }

    bool may_hold(std::uint64_t hash) const
    {
        return (filter[word(hash)] & bits(hash)) == bits(hash);
    }
    void ask_for(std::uint64_t hash) const { __builtin_prefetch(&filter[word(hash)]); }

    std::size_t word(std::uint64_t hash) const { return (hash >> 32) & (filter.size() - 1); }
    static std::uint64_t bits(std::uint64_t hash)
    {
        return std::uint64_t{1} << (hash & 63) | std::uint64_t{1} << (hash >> 6 & 63);
    }

    std::vector<std::uint64_t> hashes;
    std::vector<std::uint64_t> filter;
};

// The lines of `lines` that `other`'s filter may hold.
std::vector<std::size_t> maybe_shared(const hashed_lines &lines, const hashed_lines &other)
{
    std::vector<std::size_t> out;
    const std::size_t count = lines.hashes.size();
    out.reserve(count); // pages past the lines kept are never touched
    for (std::size_t i = 0; i < count; ++i) {
        if (i + hashed_lines::ahead < count)
            other.ask_for(lines.hashes[i + hashed_lines::ahead]);
        if (other.may_hold(lines.hashes[i]))
            out.push_back(i);
    }
    return out;
}

shared_lines shared(const std::vector<std::string_view> &a, const std::vector<std::string_view> &b)
{
    // Sixteen bits a line: a line that is in one text only passes for one
    // of the other's about once in fifty.
    std::size_t filter_words = 16;
    while (filter_words * 4 < std::max(a.size(), b.size()))
        filter_words *= 2;
    const hashed_lines ha(a, filter_words), hb(b, filter_words);
    // The lines that may be on both sides.
    const std::vector<std::size_t> a_in = maybe_shared(ha, hb), b_in = maybe_shared(hb, ha);
    line_numbers ids(a_in.size() + b_in.size());
    std::vector<std::size_t> a_ids, b_ids;
    a_ids.reserve(a_in.size());
    b_ids.reserve(b_in.size());
    const auto number_all = [&](const std::vector<std::size_t> &in, const hashed_lines &hashed,
                                const std::vector<std::string_view> &lines, unsigned char side,
                                std::vector<std::size_t> &out) {
        for (std::size_t k = 0; k < in.size(); ++k) {
            if (k + hashed_lines::ahead < in.size())
                ids.ask_for(hashed.hashes[in[k + hashed_lines::ahead]]);
            out.push_back(ids.number(lines[in[k]], hashed.hashes[in[k]], side));
        }
    };
    number_all(a_in, ha, a, 1, a_ids);
    number_all(b_in, hb, b, 2, b_ids);
    shared_lines out;
    for (std::size_t k = 0; k < a_in.size(); ++k)
        if (ids.on_both_sides(a_ids[k])) {
            out.a.push_back(a_in[k]);
            out.a_id.push_back(a_ids[k]);
        }
    for (std::size_t k = 0; k < b_in.size(); ++k)
        if (ids.on_both_sides(b_ids[k])) {
            out.b.push_back(b_in[k]);
            out.b_id.push_back(b_ids[k]);
        }
    return out;
}

} // namespace

std::vector<pexilon::tool::change_run> line_diff(const std::vector<std::string_view> &a,
                                                 const std::vector<std::string_view> &b)
{
    const shared_lines kept = shared(a, b);
    const std::vector<pexilon::tool::change_run> runs = pexilon::tool::diff_sequences(
        kept.a.size(), kept.b.size(),
        [&](std::size_t i, std::size_t j) { return kept.a_id[i] == kept.b_id[j]; });
    // The kept lines the runs leave alone are the ones matched; every other
    // line of the full texts, kept or not, is a change between two matches.
    std::vector<pexilon::tool::change_run> out;
    std::size_t next_a = 0, next_b = 0; // of the full texts, after the last match
    std::size_t x = 0, y = 0;           // of the kept lines
    const auto match = [&](std::size_t i, std::size_t j) {
        if (i != next_a || j != next_b)
            out.push_back({next_a, i, next_b, j});
        next_a = i + 1;
        next_b = j + 1;
    };
    for (const pexilon::tool::change_run &run : runs) {
        for (; x < run.a_begin; ++x, ++y)
            match(kept.a[x], kept.b[y]);
        x = run.a_end;
        y = run.b_end;
    }
    for (; x < kept.a.size(); ++x, ++y)
        match(kept.a[x], kept.b[y]);
    if (next_a != a.size() || next_b != b.size())
        out.push_back({next_a, a.size(), next_b, b.size()});
    return out;
}

} // namespace pexilon::lsp
