// The shortest edit between two sequences, in O((N+M)D) time and linear
// memory: Myers' algorithm, splitting at the middle snake. Boxes whose search
// grows too costly are split at the furthest point reached so far, as GNU
// diff does, so that two very different inputs still finish in near-linear
// time with an edit that is short, if not always the shortest.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <vector>

namespace pexilon::tool {

// a[a_begin, a_end) is replaced by b[b_begin, b_end); either may be empty.
struct change_run {
    std::size_t a_begin, a_end, b_begin, b_end;
};

template <typename Equal>
class sequence_diff {
public:
    // `equal(i, j)` tells whether a[i] and b[j] are the same.
    sequence_diff(std::size_t n, std::size_t m, Equal equal)
        : equal_(equal), n_(static_cast<long>(n)), m_(static_cast<long>(m)), forward_(n + m + 3),
          backward_(n + m + 3)
    {
        too_expensive_ = 1;
        for (std::size_t diagonals = n + m + 3; diagonals != 0; diagonals >>= 2)
            too_expensive_ <<= 1;
        too_expensive_ = std::max(too_expensive_, 4096L);
    }

    // The runs of changes, in order, none adjacent to another.
    std::vector<change_run> runs()
    {
        std::vector<box> pending{{0, n_, 0, m_}};
        while (!pending.empty()) {
            box b = pending.back();
            pending.pop_back();
            while (b.x < b.x_end && b.y < b.y_end && same(b.x, b.y))
                ++b.x, ++b.y;
            while (b.x < b.x_end && b.y < b.y_end && same(b.x_end - 1, b.y_end - 1))
                --b.x_end, --b.y_end;
            if (b.x == b.x_end || b.y == b.y_end) {
                if (b.x != b.x_end || b.y != b.y_end)
                    add_run(b);
                continue;
            }
            const point mid = split(b);
            // The later half is pushed first so that runs come out in order.
            pending.push_back({mid.x, b.x_end, mid.y, b.y_end});
            pending.push_back({b.x, mid.x, b.y, mid.y});
        }
        return std::move(runs_);
    }

private:
    struct box {
        long x, x_end, y, y_end;
    };
    struct point {
        long x, y;
    };

    bool same(long x, long y)
    {
        return equal_(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
    }

    long &fd(long diagonal) { return forward_[static_cast<std::size_t>(diagonal + m_ + 1)]; }
    long &bd(long diagonal) { return backward_[static_cast<std::size_t>(diagonal + m_ + 1)]; }

    void add_run(const box &b)
    {
        const auto x = static_cast<std::size_t>(b.x), x_end = static_cast<std::size_t>(b.x_end);
        const auto y = static_cast<std::size_t>(b.y), y_end = static_cast<std::size_t>(b.y_end);
        if (!runs_.empty() && runs_.back().a_end == x && runs_.back().b_end == y) {
            runs_.back().a_end = x_end;
            runs_.back().b_end = y_end;
        } else {
            runs_.push_back({x, x_end, y, y_end});
        }
    }

    // A point on a shortest path through the box, found by searching from
    // both corners until the searches meet. Diagonal k holds x - y.
    point split(const box &b)
    {
        const long dmin = b.x - b.y_end, dmax = b.x_end - b.y;
        const long fmid = b.x - b.y, bmid = b.x_end - b.y_end;
        const bool odd = ((fmid - bmid) & 1) != 0;
        long fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
        fd(fmid) = b.x;
        bd(bmid) = b.x_end;
        for (long cost = 1;; ++cost) {
            if (fmin > dmin)
                fd(--fmin - 1) = -1;
            else
                ++fmin;
            if (fmax < dmax)
                fd(++fmax + 1) = -1;
            else
                --fmax;
            for (long d = fmax; d >= fmin; d -= 2) {
                const long low = fd(d - 1), high = fd(d + 1);
                long x = low >= high ? low + 1 : high;
                long y = x - d;
                while (x < b.x_end && y < b.y_end && same(x, y))
                    ++x, ++y;
                fd(d) = x;
                if (odd && bmin <= d && d <= bmax && bd(d) <= x)
                    return {x, y};
            }
            if (bmin > dmin)
                bd(--bmin - 1) = LONG_MAX;
            else
                ++bmin;
            if (bmax < dmax)
                bd(++bmax + 1) = LONG_MAX;
            else
                --bmax;
            for (long d = bmax; d >= bmin; d -= 2) {
                const long low = bd(d - 1), high = bd(d + 1);
                long x = low < high ? low : high - 1;
                long y = x - d;
                while (x > b.x && y > b.y && same(x - 1, y - 1))
                    --x, --y;
                bd(d) = x;
                if (!odd && fmin <= d && d <= fmax && x <= fd(d))
                    return {x, y};
            }
            if (cost >= too_expensive_)
                return furthest_point(b, fmin, fmax, bmin, bmax);
        }
    }

    // The point either search has carried furthest from its corner.
    point furthest_point(const box &b, long fmin, long fmax, long bmin, long bmax)
    {
        long forward_sum = -1, forward_x = b.x;
        for (long d = fmax; d >= fmin; d -= 2) {
            long x = std::min(fd(d), b.x_end);
            long y = x - d;
            if (y > b.y_end)
                x = b.y_end + d, y = b.y_end;
            if (x + y > forward_sum)
                forward_sum = x + y, forward_x = x;
        }
        long backward_sum = LONG_MAX, backward_x = b.x_end;
        for (long d = bmax; d >= bmin; d -= 2) {
            long x = std::max(b.x, bd(d));
            long y = x - d;
            if (y < b.y)
                x = b.y + d, y = b.y;
            if (x + y < backward_sum)
                backward_sum = x + y, backward_x = x;
        }
        if ((b.x_end + b.y_end) - backward_sum < forward_sum - (b.x + b.y))
            return {forward_x, forward_sum - forward_x};
        return {backward_x, backward_sum - backward_x};
    }

    Equal equal_;
    long n_, m_;
    long too_expensive_;
    std::vector<long> forward_, backward_;
    std::vector<change_run> runs_;
};

template <typename Equal>
std::vector<change_run> diff_sequences(std::size_t n, std::size_t m, Equal equal)
{
    return sequence_diff<Equal>(n, m, equal).runs();
}

} // namespace pexilon::tool
