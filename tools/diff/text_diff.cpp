#include "diff/text_diff.h"

#include <algorithm>

#include "diff/sequence_diff.h"

namespace pexilon::tool {

namespace {

// Each line with its newline, so that a last line without one differs from
// the same text with one.
std::vector<std::string_view> split_lines(std::string_view rest)
{
    std::vector<std::string_view> lines;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::size_t size = end == std::string_view::npos ? rest.size() : end + 1;
        lines.push_back(rest.substr(0, size));
        rest.remove_prefix(size);
    }
    return lines;
}

// "start,count" of a hunk side; an empty side names the line before it.
std::string hunk_range(std::size_t begin, std::size_t end)
{
    const std::size_t count = end - begin;
    if (count == 1)
        return std::to_string(begin + 1);
    return std::to_string(count == 0 ? begin : begin + 1) + "," + std::to_string(count);
}

void add_line(std::vector<std::string> &out, char mark, std::string_view line)
{
    const bool ended = !line.empty() && line.back() == '\n';
    if (ended)
        line.remove_suffix(1);
    out.push_back(mark + std::string(line));
    if (!ended)
        out.emplace_back("\\ No newline at end of file");
}

} // namespace

std::vector<std::string> unified_diff(std::string_view a, std::string_view b, std::size_t context)
{
    const std::vector<std::string_view> la = split_lines(a), lb = split_lines(b);
    const auto runs = diff_sequences(la.size(), lb.size(),
                                     [&](std::size_t i, std::size_t j) { return la[i] == lb[j]; });
    std::vector<std::string> out;
    for (std::size_t first = 0; first < runs.size();) {
        // Runs closer than twice the context share one hunk.
        std::size_t last = first;
        while (last + 1 < runs.size() && runs[last + 1].a_begin - runs[last].a_end <= 2 * context)
            ++last;
        const std::size_t a_begin = runs[first].a_begin - std::min(runs[first].a_begin, context);
        const std::size_t b_begin = runs[first].b_begin - (runs[first].a_begin - a_begin);
        const std::size_t a_end = std::min(la.size(), runs[last].a_end + context);
        const std::size_t b_end = runs[last].b_end + (a_end - runs[last].a_end);
        out.push_back("@@ -" + hunk_range(a_begin, a_end) + " +" + hunk_range(b_begin, b_end) +
                      " @@");
        std::size_t i = a_begin;
        for (std::size_t r = first; r <= last; ++r) {
            for (; i < runs[r].a_begin; ++i)
                add_line(out, ' ', la[i]);
            for (std::size_t k = runs[r].a_begin; k < runs[r].a_end; ++k)
                add_line(out, '-', la[k]);
            for (std::size_t k = runs[r].b_begin; k < runs[r].b_end; ++k)
                add_line(out, '+', lb[k]);
            i = runs[r].a_end;
        }
        for (; i < a_end; ++i)
            add_line(out, ' ', la[i]);
        first = last + 1;
    }
    return out;
}

bool print_unified_diff(std::FILE *out, std::string_view old_label, std::string_view new_label,
                        const std::vector<std::string> &diff, bool always_header)
{
    if (diff.empty() && !always_header)
        return true;
    std::string text = "--- " + std::string(old_label) + "\n+++ " + std::string(new_label) + "\n";
    for (const std::string &line : diff)
        text.append(line).push_back('\n');
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

} // namespace pexilon::tool
