#include "config/record_changes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/vocabulary.h"

namespace pexilon {

namespace {

// The bits of the fields of `members` in which `a` and `b` differ.
std::uint32_t differing(const void *a, const void *b, std::span<const record_member> members)
{
    std::uint32_t out = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto *pa = static_cast<const unsigned char *>(a) + members[i].offset;
        const auto *pb = static_cast<const unsigned char *>(b) + members[i].offset;
        if (std::memcmp(pa, pb, members[i].size) != 0)
            out |= std::uint32_t{1} << i;
    }
    return out;
}

std::string first_field(const char *part, std::uint32_t bits,
                        std::span<const record_member> members)
{
    for (std::size_t i = 0; i < members.size(); ++i)
        if ((bits >> i & 1) != 0)
            return std::string(part) + members[i].name;
    return std::string(part) + "code";
}

std::string camera_change(const parsed_config &before, const parsed_config &after,
                          std::span<const record_change> changes)
{
    std::uint32_t allowed = 0;
    for (const record_change &c : changes)
        allowed |= c.camera;
    const std::uint32_t bits = differing(&before.camera, &after.camera, camera_members);
    return (bits & ~allowed) != 0 ? first_field("camera.", bits & ~allowed, camera_members) : "";
}

// Walks the entries of both records side by side: an entry the same on both
// sides, or one that a change lets differ, or lets stand there anew.
class entry_walk {
public:
    entry_walk(const parsed_config &before, const parsed_config &after,
               std::span<const record_change> changes)
        : a_(before), b_(after)
    {
        for (const record_change &c : changes)
            if (c.params != entry_change::none)
                changes_.push_back(c);
        std::stable_sort(
            changes_.begin(), changes_.end(),
            [](const record_change &x, const record_change &y) { return x.entry < y.entry; });
        std::size_t added = 0;
        for (const record_change &c : changes_)
            added += c.params == entry_change::added ? 1 : 0;
        // What the entries of new sections number: all that is left over.
        grown_ =
            b_.param_count >= a_.param_count + added ? b_.param_count - a_.param_count - added : 0;
    }

    std::string run()
    {
        std::size_t next = 0; // of changes_
        while (i_ < a_.param_count || j_ < b_.param_count) {
            for (; next < changes_.size() && changes_[next].entry <= i_; ++next)
                insert(changes_[next]);
            if (i_ == a_.param_count && j_ == b_.param_count)
                break;
            if (i_ == a_.param_count)
                return "params[" + std::to_string(j_) + "], an entry more";
            if (j_ == b_.param_count)
                return "params[" + std::to_string(i_) + "], an entry less";
            const std::string differs = compare(a_.params[i_], b_.params[j_]);
            if (!differs.empty())
                return "params[" + std::to_string(i_) + "]." + differs;
            ++i_;
            ++j_;
        }
        return {};
    }

private:
    void insert(const record_change &c)
    {
        if (c.params == entry_change::added && j_ < b_.param_count && b_.params[j_].type == c.type)
            ++j_;
        if (c.params == entry_change::section)
            for (; grown_ > 0 && j_ < b_.param_count && section_of(b_.params[j_].type) == c.type;
                 --grown_)
                ++j_;
        if (c.params == entry_change::section)
            retyped_ = &c;
        if (c.params == entry_change::values || c.params == entry_change::replaced)
            values_.push_back(c.entry);
        if (c.params == entry_change::replaced)
            replaced_.push_back(c);
    }

    // The field in which `a` differs from `b` that no change lets differ.
    std::string compare(const param_entry &a, const param_entry &b) const
    {
        const bool same_values =
            a.value_count == b.value_count && std::memcmp(a.values, b.values, sizeof a.values) == 0;
        if (a.type != b.type) {
            const bool moved = retyped_ != nullptr && key_of(a.type) == key_of(b.type) &&
                               section_of(b.type) == retyped_->type;
            const bool replaced =
                std::any_of(replaced_.begin(), replaced_.end(), [&](const record_change &c) {
                    return c.entry == i_ && c.type == b.type;
                });
            if (!moved && !replaced)
                return "type";
        }
        if (same_values)
            return {};
        if (std::find(values_.begin(), values_.end(), i_) == values_.end())
            return a.value_count != b.value_count ? "value_count" : "values";
        return {};
    }

    const parsed_config &a_;
    const parsed_config &b_;
    std::vector<record_change> changes_;
    std::vector<std::uint32_t> values_;   // entries whose values may change
    std::vector<record_change> replaced_; // entries that may take another type
    const record_change *retyped_ = nullptr;
    std::size_t grown_ = 0;
    std::uint32_t i_ = 0; // entries of a_ walked
    std::uint32_t j_ = 0; // entries of b_ walked
};

std::uint32_t control_fields(const control_entry &a, const control_entry &b)
{
    std::uint32_t bits = differing(&a, &b, control_members);
    const bool same_code = a.code == nullptr || b.code == nullptr
                               ? a.code == b.code
                               : std::strcmp(a.code, b.code) == 0;
    return same_code ? bits : bits | control_code_bit;
}

std::string control_change(const parsed_config &before, const parsed_config &after,
                           std::span<const record_change> changes)
{
    std::vector<std::uint32_t> added; // where a control more stands
    for (const record_change &c : changes)
        if (c.control_added)
            added.push_back(c.control_index);
    std::sort(added.begin(), added.end());
    std::uint32_t i = 0, j = 0;
    std::size_t next = 0;
    while (i < before.control_count || j < after.control_count) {
        for (; next < added.size() && added[next] <= i; ++next)
            j += j < after.control_count ? 1 : 0;
        if (i == before.control_count && j == after.control_count)
            break;
        if (i == before.control_count)
            return "controls[" + std::to_string(j) + "], a control more";
        if (j == after.control_count)
            return "controls[" + std::to_string(i) + "], a control less";
        std::uint32_t allowed = 0;
        for (const record_change &c : changes)
            if (!c.control_added && c.control_index == i)
                allowed |= c.control;
        const std::uint32_t bits = control_fields(before.controls[i], after.controls[j]) & ~allowed;
        if (bits != 0)
            return first_field(("controls[" + std::to_string(i) + "].").c_str(), bits,
                               control_members);
        ++i;
        ++j;
    }
    return {};
}

} // namespace

std::string unannounced_change(const parsed_config &before, const parsed_config &after,
                               std::span<const record_change> changes)
{
    std::string out = camera_change(before, after, changes);
    if (out.empty())
        out = entry_walk(before, after, changes).run();
    if (out.empty())
        out = control_change(before, after, changes);
    return out;
}

} // namespace pexilon
