#include "check/suggestions.h"

#include <algorithm>
#include <cctype>

namespace pexilon::check {

namespace {

std::string folded(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    std::string out;
    bool space = false;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            space = true;
            continue;
        }
        if (space && !out.empty())
            out += ' ';
        space = false;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// Edits (insert, delete, replace, swap of neighbours) from a to b, or any
// number of at least `limit` once it is plain that there are that many.
std::size_t distance(std::string_view a, std::string_view b, std::size_t limit)
{
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    // The lengths alone need that many insertions or deletions.
    if ((n > m ? n - m : m - n) >= limit)
        return limit;
    // Three rows of the table: two back (for a swap), one back, this one.
    std::vector<std::size_t> rows(3 * (m + 1));
    std::size_t *older = rows.data(), *prev = older + m + 1, *row = prev + m + 1;
    for (std::size_t j = 0; j <= m; ++j)
        prev[j] = j;
    std::size_t prev_least = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        row[0] = i;
        std::size_t row_least = row[0];
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            row[j] = std::min({prev[j] + 1, row[j - 1] + 1, prev[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                row[j] = std::min(row[j], older[j - 2] + 1);
            row_least = std::min(row_least, row[j]);
        }
        // Every later entry is one of the two latest rows' plus an edit or a
        // match, so once both are at the limit the rest are too.
        if (row_least >= limit && prev_least >= limit)
            return limit;
        prev_least = row_least;
        std::swap(older, prev);
        std::swap(prev, row);
    }
    return std::min(prev[m], limit);
}

} // namespace

std::vector<std::string> nearest_names(std::string_view written,
                                       const std::vector<std::string> &candidates)
{
    std::vector<std::string> best;
    if (written.size() > 200)
        return best;
    const std::string mine = folded(written);
    std::size_t best_distance = mine.size() > 4 ? 3 : 2;
    for (const std::string &candidate : candidates) {
        const std::string theirs = folded(candidate);
        const std::size_t d = mine == theirs ? 0 : distance(mine, theirs, best_distance + 1);
        if (d < best_distance) {
            best_distance = d;
            best.clear();
        }
        if (d == best_distance)
            best.push_back(candidate);
    }
    return best;
}

std::string nearest_name(std::string_view written, const std::vector<std::string> &candidates)
{
    std::vector<std::string> best = nearest_names(written, candidates);
    return best.empty() ? std::string() : std::move(best.front());
}

} // namespace pexilon::check
