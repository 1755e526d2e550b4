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

// Edits (insert, delete, replace, swap of neighbours) from a to b.
std::size_t distance(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
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
        const std::size_t d = mine == theirs ? 0 : distance(mine, theirs);
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
