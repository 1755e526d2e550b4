// check --fix and the language server's fix-all: every wanted fix-it made,
// in a few rounds, each costing a few checks of the text whatever the
// number of fix-its.
#include "check/fix_judging.h"
#include "check/fixits.h"

namespace pexilon::check {

namespace {

// Bytes a round may read again to make its fix-its in smaller groups.
constexpr std::size_t fix_budget = std::size_t{32} << 20;

} // namespace

std::string fix_all(std::string_view text, const std::function<bool(std::string_view)> &wanted,
                    std::size_t &made)
{
    constexpr int rounds = 4;
    made = 0;
    std::string now(text);
    for (int round = 0; round < rounds; ++round) {
        std::vector<fix_group> fixes;
        check_text(now, [&](const diagnostic &d) {
            if (d.severity == PEXILON_CHECK_WARNING && !d.fixes.empty() && wanted(d.name))
                fixes.push_back(d.fixes);
            return true;
        });
        if (fixes.empty())
            break;
        // Each was judged alone, and all of them together; those wanted may
        // be fewer, and are made together only as they keep the rule.
        const reading before = read_text(now);
        std::size_t spent = 0;
        const std::vector<bool> kept = made_together(now, before, fixes, spent, fix_budget);
        std::vector<fix_group> making;
        for (std::size_t i = 0; i < fixes.size(); ++i)
            if (kept[i])
                making.push_back(std::move(fixes[i]));
        std::size_t count = 0;
        std::string next = apply_fixes(now, making, &count);
        if (count == 0 || next == now)
            break;
        made += count;
        now = std::move(next);
    }
    return now;
}

} // namespace pexilon::check
