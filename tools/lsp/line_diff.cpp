// A line that occurs nowhere in the other text can only be changed, so it is
// left out of the search for the shortest edit, which then runs on the lines
// the two texts share (as GNU diff discards such lines). Formatting a
// document laid out otherwise changes nearly every line: the search is then
// over a handful of lines instead of costing the document's size times the
// edit's, and the edit is as short, since no line left out could be kept.
// Lines are compared as numbers, each distinct line numbered once.
#include "line_diff.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>

namespace pexilon::lsp {

std::vector<std::string_view> lines_of(std::string_view text)
{
    std::vector<std::string_view> lines;
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
    std::size_t number(std::string_view line, std::size_t hash, unsigned char side)
    {
        const std::size_t mask = slots_.size() - 1;
        const auto tag = static_cast<std::uint32_t>(hash >> (hash_bits / 2));
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

private:
    static constexpr int hash_bits = std::numeric_limits<std::size_t>::digits;
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

// The hashes of a text's lines, and a filter of them: a bit set at two
// places of each hash, small enough to stay in the cache. A line whose bits
// the other text's filter lacks is surely not in that text, and is never
// looked up: formatting a document laid out otherwise changes most lines,
// and a table of them all would be read at random, a cache miss a line.
struct hashed_lines {
    explicit hashed_lines(const std::vector<std::string_view> &lines, std::size_t filter_bits)
        : hashes(lines.size()), filter(filter_bits / 64, 0)
    {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            hashes[i] = std::hash<std::string_view>{}(lines[i]);
            for (const std::size_t bit : bits(hashes[i]))
                filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }

    bool may_hold(std::size_t hash) const
    {
        for (const std::size_t bit : bits(hash))
            if ((filter[bit / 64] >> (bit % 64) & 1) == 0)
                return false;
        return true;
    }

    std::array<std::size_t, 2> bits(std::size_t hash) const
    {
        const std::size_t mask = filter.size() * 64 - 1;
        return {hash & mask, (hash >> (std::numeric_limits<std::size_t>::digits / 2)) & mask};
    }

    std::vector<std::size_t> hashes;
    std::vector<std::uint64_t> filter;
};

shared_lines shared(const std::vector<std::string_view> &a, const std::vector<std::string_view> &b)
{
    // Sixteen bits a line: a line that is in neither text passes for one
    // of the other's about once in a hundred.
    std::size_t filter_bits = 1024;
    while (filter_bits < 16 * std::max(a.size(), b.size()))
        filter_bits *= 2;
    const hashed_lines ha(a, filter_bits), hb(b, filter_bits);
    std::vector<std::size_t> a_in, b_in; // the lines that may be on both sides
    for (std::size_t i = 0; i < a.size(); ++i)
        if (hb.may_hold(ha.hashes[i]))
            a_in.push_back(i);
    for (std::size_t j = 0; j < b.size(); ++j)
        if (ha.may_hold(hb.hashes[j]))
            b_in.push_back(j);
    line_numbers ids(a_in.size() + b_in.size());
    std::vector<std::size_t> a_ids, b_ids;
    a_ids.reserve(a_in.size());
    b_ids.reserve(b_in.size());
    for (const std::size_t i : a_in)
        a_ids.push_back(ids.number(a[i], ha.hashes[i], 1));
    for (const std::size_t j : b_in)
        b_ids.push_back(ids.number(b[j], hb.hashes[j], 2));
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
