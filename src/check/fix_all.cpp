// check --fix and the language server's fix-all: every wanted fix-it made,
// in a few rounds, each costing a few checks of the text whatever the
// number of fix-its.
#include "check/fix_judging.h"
#include "check/fixits.h"

namespace pexilon::check {

namespace {

// Bytes a round may read again to make its fix-its in smaller groups.
constexpr std::size_t fix_budget = std::size_t{32} << 20;

// A wanted fix-it of one round, and who offered it.
struct offered {
    fix_group edits;
    std::size_t line = 0;
    std::string_view name;
};

std::vector<offered> offered_in(std::string_view text,
                                const std::function<bool(std::string_view)> &wanted)
{
    std::vector<offered> out;
    check_text(text, [&](const diagnostic &d) {
        if (!d.fixes.empty() && wanted(d.name()))
            out.push_back({d.fixes.copied(), d.where.line, d.name()});
        return true;
    });
    return out;
}

} // namespace

std::string fix_all(std::string_view text, const std::function<bool(std::string_view)> &wanted,
                    std::size_t &made, std::vector<made_fix> *each)
{
    constexpr std::size_t rounds = 4;
    made = 0;
    std::string now(text);
    for (std::size_t round = 1; round <= rounds; ++round) {
        const std::vector<offered> found = offered_in(now, wanted);
        if (found.empty())
            break;
        std::vector<fix_group> fixes;
        fixes.reserve(found.size());
        for (const offered &o : found)
            fixes.push_back(o.edits);
        // Each was judged alone, and all of them together; those wanted may
        // be fewer, and are made together only as they keep the rule.
        const reading before = read_text(now);
        std::size_t spent = 0;
        const std::vector<bool> kept = made_together(now, before, fixes, spent, fix_budget);
        std::vector<fix_group> making;
        std::vector<const offered *> makers;
        for (std::size_t i = 0; i < fixes.size(); ++i)
            if (kept[i]) {
                making.push_back(std::move(fixes[i]));
                makers.push_back(&found[i]);
            }
        std::size_t count = 0;
        std::vector<bool> taken;
        std::string next = apply_fixes(now, making, &count, &taken);
        if (count == 0 || next == now)
            break;
        made += count;
        if (each != nullptr)
            for (std::size_t i = 0; i < making.size(); ++i)
                if (taken[i])
                    each->push_back(
                        {round, makers[i]->line, makers[i]->name, making[i].front().change});
        now = std::move(next);
    }
    return now;
}

} // namespace pexilon::check
