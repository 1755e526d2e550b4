// The alignment behind `pexilon-config diff`: every edit it returns must turn
// the first sequence into the second, and be as short as can be unless the
// search was cut short on purpose.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../tools/diff/sequence_diff.h"

namespace {

using pexilon::tool::change_run;
using pexilon::tool::diff_sequences;

template <typename T>
std::vector<change_run> align(const std::vector<T> &a, const std::vector<T> &b)
{
    return diff_sequences(a.size(), b.size(),
                          [&](std::size_t i, std::size_t j) { return a[i] == b[j]; });
}

// Applies the runs to `a`; fails the test when they are out of order,
// touch each other, or keep an element that differs.
template <typename T>
std::vector<T> apply(const std::vector<T> &a, const std::vector<T> &b,
                     const std::vector<change_run> &runs)
{
    std::vector<T> out;
    std::size_t i = 0, j = 0;
    for (const change_run &run : runs) {
        EXPECT_LE(i, run.a_begin);
        EXPECT_EQ(run.a_begin - i, run.b_begin - j) << "unchanged stretches differ in length";
        EXPECT_TRUE(run.a_begin < run.a_end || run.b_begin < run.b_end) << "empty run";
        EXPECT_TRUE(out.empty() || i < run.a_begin || j < run.b_begin) << "runs touch";
        for (; i < run.a_begin; ++i, ++j) {
            EXPECT_EQ(a[i], b[j]) << "kept element differs at " << i;
            out.push_back(a[i]);
        }
        out.insert(out.end(), b.begin() + static_cast<long>(run.b_begin),
                   b.begin() + static_cast<long>(run.b_end));
        i = run.a_end;
        j = run.b_end;
    }
    out.insert(out.end(), a.begin() + static_cast<long>(i), a.end());
    return out;
}

template <typename T>
std::size_t edit_length(const std::vector<change_run> &runs)
{
    std::size_t n = 0;
    for (const change_run &run : runs)
        n += (run.a_end - run.a_begin) + (run.b_end - run.b_begin);
    return n;
}

// Insertions and deletions of the shortest edit, by dynamic programming.
template <typename T>
std::size_t shortest_edit(const std::vector<T> &a, const std::vector<T> &b)
{
    std::vector<std::vector<std::size_t>> lcs(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            lcs[i][j] =
                a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    return a.size() + b.size() - 2 * lcs[0][0];
}

std::vector<char> chars(const std::string &s) { return {s.begin(), s.end()}; }

struct small_case {
    const char *a, *b;
    std::size_t edits;
};

// (a, b, length of the shortest edit)
const small_case small_cases[] = {
    {"", "", 0},          {"abc", "abc", 0},        {"", "abc", 3},
    {"abc", "", 3},       {"abcabba", "cbabac", 5}, {"abXcd", "abcd", 1},
    {"abcd", "abYcd", 1}, {"xabc", "abcx", 2},      {"aaaa", "aa", 2},
    {"abab", "baba", 2},  {"abc", "xyz", 6},
};

TEST(SequenceDiff, SmallCasesGiveTheShortestEdit)
{
    for (const small_case &c : small_cases) {
        const auto a = chars(c.a), b = chars(c.b);
        const auto runs = align(a, b);
        EXPECT_EQ(apply(a, b, runs), b) << c.a << " -> " << c.b;
        EXPECT_EQ(edit_length<char>(runs), c.edits) << c.a << " -> " << c.b;
    }
}

TEST(SequenceDiff, RandomSequencesGiveAShortestValidEdit)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::vector<int> a(random() % 40), b(random() % 40);
        const unsigned alphabet = 2 + random() % 4;
        for (int &x : a)
            x = static_cast<int>(random() % alphabet);
        for (int &x : b)
            x = static_cast<int>(random() % alphabet);
        const auto runs = align(a, b);
        ASSERT_EQ(apply(a, b, runs), b) << "round " << round;
        ASSERT_EQ(edit_length<int>(runs), shortest_edit(a, b)) << "round " << round;
    }
}

// Few changes in a long sequence of distinct elements: each substitution
// costs exactly one deletion and one insertion, whatever the search does.
TEST(SequenceDiff, FewChangesInALongSequence)
{
    std::vector<int> a(200000);
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<int>(i);
    std::vector<int> b = a;
    for (std::size_t k = 0; k < 300; ++k)
        b[k * 661 + 7] = -1 - static_cast<int>(k);
    b.insert(b.begin() + 1000, -5000);
    b.erase(b.begin() + 150000);
    const auto runs = align(a, b);
    EXPECT_EQ(apply(a, b, runs), b);
    EXPECT_EQ(edit_length<int>(runs), 2 * 300 + 2u);
}

// Two unrelated long sequences make the search give up on the shortest
// edit; what it returns must still be a valid edit.
TEST(SequenceDiff, CostlySearchStillGivesAValidEdit)
{
    std::mt19937 random(7);
    std::vector<int> a(20000), b(20000);
    for (int &x : a)
        x = static_cast<int>(random() % 64);
    for (int &x : b)
        x = static_cast<int>(random() % 64);
    const auto runs = align(a, b);
    EXPECT_EQ(apply(a, b, runs), b);
    EXPECT_LE(edit_length<int>(runs), a.size() + b.size());
}

} // namespace
