// A line that occurs nowhere in the other text can only be changed, so it is
// left out of the search for the shortest edit, which then runs on the lines
// the two texts share (as GNU diff discards such lines). Formatting a
// document laid out otherwise changes nearly every line: the search is then
// over a handful of lines instead of costing the document's size times the
// edit's, and the edit is as short, since no line left out could be kept.
// Lines are compared as numbers, each distinct line numbered once.
#include "line_diff.h"

#include <cstddef>
#include <functional>

namespace pexilon_lsp {

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
// line would allocate one by one.
class line_numbers {
public:
    explicit line_numbers(std::size_t lines)
    {
        std::size_t size = 16;
        while (size < 2 * lines)
            size *= 2;
        slots_.assign(size, empty);
    }

    // The number of `line`, and which sides (1: a, 2: b) hold it so far.
    std::size_t number(std::string_view line, unsigned char side)
    {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = std::hash<std::string_view>{}(line)&mask;; at = (at + 1) & mask) {
            if (slots_[at] == empty) {
                slots_[at] = texts_.size();
                texts_.push_back(line);
                sides_.push_back(side);
                return slots_[at];
            }
            if (texts_[slots_[at]] == line) {
                sides_[slots_[at]] |= side;
                return slots_[at];
            }
        }
    }

    bool on_both_sides(std::size_t id) const { return sides_[id] == 3; }

private:
    static constexpr std::size_t empty = static_cast<std::size_t>(-1);
    std::vector<std::size_t> slots_;
    std::vector<std::string_view> texts_;
    std::vector<unsigned char> sides_;
};

shared_lines shared(const std::vector<std::string_view> &a, const std::vector<std::string_view> &b)
{
    line_numbers ids(a.size() + b.size());
    std::vector<std::size_t> a_ids, b_ids;
    a_ids.reserve(a.size());
    b_ids.reserve(b.size());
    for (const std::string_view line : a)
        a_ids.push_back(ids.number(line, 1));
    for (const std::string_view line : b)
        b_ids.push_back(ids.number(line, 2));
    shared_lines out;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ids.on_both_sides(a_ids[i])) {
            out.a.push_back(i);
            out.a_id.push_back(a_ids[i]);
        }
    for (std::size_t j = 0; j < b.size(); ++j)
        if (ids.on_both_sides(b_ids[j])) {
            out.b.push_back(j);
            out.b_id.push_back(b_ids[j]);
        }
    return out;
}

} // namespace

std::vector<pexilon_tool::change_run> line_diff(const std::vector<std::string_view> &a,
                                                const std::vector<std::string_view> &b)
{
    const shared_lines kept = shared(a, b);
    const std::vector<pexilon_tool::change_run> runs = pexilon_tool::diff_sequences(
        kept.a.size(), kept.b.size(),
        [&](std::size_t i, std::size_t j) { return kept.a_id[i] == kept.b_id[j]; });
    // The kept lines the runs leave alone are the ones matched; every other
    // line of the full texts, kept or not, is a change between two matches.
    std::vector<pexilon_tool::change_run> out;
    std::size_t next_a = 0, next_b = 0; // of the full texts, after the last match
    std::size_t x = 0, y = 0;           // of the kept lines
    const auto match = [&](std::size_t i, std::size_t j) {
        if (i != next_a || j != next_b)
            out.push_back({next_a, i, next_b, j});
        next_a = i + 1;
        next_b = j + 1;
    };
    for (const pexilon_tool::change_run &run : runs) {
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

} // namespace pexilon_lsp
