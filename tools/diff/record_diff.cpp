// Comparing two records.
#include "diff/record_diff.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "config/code_tables.h"
#include "config/record_compare.h"
#include "config/record_fields.h"
#include "config/section_names.h"
#include "diff/sequence_diff.h"
#include "diff/text_diff.h"
#include "support/hex_text.h"
#include "support/record_ops.h"

namespace pexilon::tool {

namespace {

std::string format_text(const char *format, long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A field's value as the dump shows it: 32-bit numbers as signed (two's
// complement), narrower ones as they are, FORMAT in hexadecimal.
field_value member_value(const void *record, const pexilon::record_member &member)
{
    if (member.form == pexilon::field_form::text)
        return {std::string(pexilon::text_of(record, member)), false, 0, true};
    std::int64_t number = pexilon::number_of(record, member);
    if (member.size == 4)
        number = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
    if (member.shown == pexilon::shown_as::hex_byte)
        return {pexilon::hex_spelling(static_cast<unsigned long long>(number), 2).c_str(), true,
                number};
    return {format_text("%lld", number), true, number};
}

void compare_camera(const camera_settings &a, const camera_settings &b, record_diff &diff)
{
    for (std::size_t f = 0; f < std::size(pexilon::camera_members); ++f) {
        const pexilon::record_member &member = pexilon::camera_members[f];
        const field_value va = member_value(&a, member), vb = member_value(&b, member);
        if (va.shown != vb.shown)
            diff.camera.push_back({f, {member.name, va, vb}});
    }
}

// Appends the groups of `record` not yet in `order`, in order of first
// appearance.
void add_groups(const parsed_config &record, std::vector<std::uint32_t> &order,
                std::unordered_set<std::uint32_t> &seen)
{
    for (std::size_t i = 0; i < record.param_count; ++i)
        if (seen.insert(pexilon::group_of(record.params[i].type)).second)
            order.push_back(pexilon::group_of(record.params[i].type));
}

std::unordered_map<std::uint32_t, std::vector<std::size_t>>
entries_by_group(const parsed_config &record)
{
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> members;
    for (std::size_t i = 0; i < record.param_count; ++i)
        members[pexilon::group_of(record.params[i].type)].push_back(i);
    return members;
}

// A register write (REG): its first number is the register's address, which
// names the entry better than its place does.
bool register_write(const param_entry &entry)
{
    return pexilon::key_of(entry.type) == PEXILON_KEY_REG && entry.value_count > 0;
}

bool same_register(const param_entry &a, const param_entry &b)
{
    return register_write(a) && register_write(b) && a.values[0] == b.values[0];
}

// Entries a[ia[i]] for i in [a_begin, a_end) against b[ib[j]] for j in
// [b_begin, b_end), none equal: the first ones on each side pair up as
// changed, the rest are removed or added.
struct entry_span {
    const parsed_config &record;
    const std::vector<std::size_t> &index;
    std::size_t begin, end;
};

void pair_by_place(std::uint32_t group, const entry_span &a, const entry_span &b, record_diff &diff)
{
    const std::size_t paired = std::min(a.end - a.begin, b.end - b.begin);
    for (std::size_t k = 0; k < paired; ++k)
        diff.entries.push_back(
            {change_kind::changed, group, a.index[a.begin + k], b.index[b.begin + k]});
    for (std::size_t i = a.begin + paired; i < a.end; ++i)
        diff.entries.push_back({change_kind::removed, group, a.index[i], 0});
    for (std::size_t j = b.begin + paired; j < b.end; ++j)
        diff.entries.push_back({change_kind::added, group, 0, b.index[j]});
}

// A run of changed entries: register writes to the same address pair up as
// changed (a write inserted before a changed one is then "added", not the
// changed one's new value); what lies between them pairs by place.
void pair_run(std::uint32_t group, const entry_span &a, const entry_span &b, record_diff &diff)
{
    const auto entry_a = [&](std::size_t i) -> const param_entry & {
        return a.record.params[a.index[a.begin + i]];
    };
    const auto entry_b = [&](std::size_t j) -> const param_entry & {
        return b.record.params[b.index[b.begin + j]];
    };
    const auto gaps =
        diff_sequences(a.end - a.begin, b.end - b.begin, [&](std::size_t i, std::size_t j) {
            return same_register(entry_a(i), entry_b(j));
        });
    std::size_t i = 0, j = 0;
    const auto pair_same_registers = [&](std::size_t until_i) {
        for (; i < until_i; ++i, ++j)
            diff.entries.push_back(
                {change_kind::changed, group, a.index[a.begin + i], b.index[b.begin + j]});
    };
    for (const change_run &gap : gaps) {
        pair_same_registers(gap.a_begin);
        pair_by_place(group, {a.record, a.index, a.begin + gap.a_begin, a.begin + gap.a_end},
                      {b.record, b.index, b.begin + gap.b_begin, b.begin + gap.b_end}, diff);
        i = gap.a_end;
        j = gap.b_end;
    }
    pair_same_registers(a.end - a.begin);
}

// Aligns the group's entries of both files, then pairs up what differs.
void compare_group(std::uint32_t group, const parsed_config &a, const std::vector<std::size_t> &ia,
                   const parsed_config &b, const std::vector<std::size_t> &ib, record_diff &diff)
{
    const auto runs = diff_sequences(ia.size(), ib.size(), [&](std::size_t i, std::size_t j) {
        return pexilon::same_param(a.params[ia[i]], b.params[ib[j]]);
    });
    for (const change_run &run : runs)
        pair_run(group, {a, ia, run.a_begin, run.a_end}, {b, ib, run.b_begin, run.b_end}, diff);
}

void compare_entries(const parsed_config &a, const parsed_config &b, record_diff &diff)
{
    if (a.params == nullptr && b.params == nullptr)
        return;
    std::vector<std::uint32_t> order;
    std::unordered_set<std::uint32_t> seen;
    add_groups(a, order, seen);
    add_groups(b, order, seen);
    auto in_a = entries_by_group(a);
    auto in_b = entries_by_group(b);
    for (std::uint32_t group : order)
        compare_group(group, a, in_a[group], b, in_b[group], diff);
}

std::vector<field_change> control_fields(const control_entry &a, const control_entry &b)
{
    std::vector<field_change> changes;
    for (const pexilon::record_member &member : pexilon::control_members) {
        const field_value va = member_value(&a, member), vb = member_value(&b, member);
        if (va.shown != vb.shown)
            changes.push_back({member.name, va, vb});
    }
    const field_value code_a{a.code != nullptr ? "present" : "none"};
    const field_value code_b{b.code != nullptr ? "present" : "none"};
    if (code_a.shown != code_b.shown)
        changes.push_back({"code block", code_a, code_b});
    return changes;
}

void add_control_pair(const parsed_config &a, std::size_t i, const parsed_config &b, std::size_t j,
                      record_diff &diff)
{
    const control_entry &ca = a.controls[i], &cb = b.controls[j];
    control_change change{change_kind::changed, i, j, control_fields(ca, cb), {}};
    change.code_diff =
        unified_diff(ca.code != nullptr ? ca.code : "", cb.code != nullptr ? cb.code : "");
    if (!change.fields.empty() || !change.code_diff.empty())
        diff.controls.push_back(std::move(change));
}

// Controls pair up by CTRL_NAME (the k-th of a name with the k-th of the
// same name), then, among those left, by position; the rest are removed
// or added.
void compare_controls(const parsed_config &a, const parsed_config &b, record_diff &diff)
{
    const std::size_t na = a.controls != nullptr ? a.control_count : 0;
    const std::size_t nb = b.controls != nullptr ? b.control_count : 0;
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::vector<std::size_t> partner_of_a(na, none), partner_of_b(nb, none);
    std::unordered_map<std::string_view, std::vector<std::size_t>> named_in_b;
    for (std::size_t j = nb; j-- > 0;)
        if (b.controls[j].ctrl_name[0] != '\0')
            named_in_b[b.controls[j].ctrl_name].push_back(j); // last first: pop_back gives order
    for (std::size_t i = 0; i < na; ++i) {
        auto found = named_in_b.find(a.controls[i].ctrl_name);
        if (a.controls[i].ctrl_name[0] == '\0' || found == named_in_b.end() ||
            found->second.empty())
            continue;
        partner_of_a[i] = found->second.back();
        partner_of_b[found->second.back()] = i;
        found->second.pop_back();
    }
    // A renamed control has no name to match: the ones left pair up in
    // order, the first left in one file with the first left in the other.
    for (std::size_t i = 0, j = 0;; ++i, ++j) {
        while (i < na && partner_of_a[i] != none)
            ++i;
        while (j < nb && partner_of_b[j] != none)
            ++j;
        if (i >= na || j >= nb)
            break;
        partner_of_a[i] = j;
        partner_of_b[j] = i;
    }
    for (std::size_t i = 0; i < na; ++i) {
        if (partner_of_a[i] == none)
            diff.controls.push_back({change_kind::removed, i, 0, {}, {}});
        else
            add_control_pair(a, i, b, partner_of_a[i], diff);
    }
    for (std::size_t j = 0; j < nb; ++j)
        if (partner_of_b[j] == none)
            diff.controls.push_back({change_kind::added, 0, j, {}, {}});
}

} // namespace

std::string entry_text(const param_entry &entry)
{
    const char *key = pexilon::lookup_name(pexilon::param_keys, pexilon::key_of(entry.type));
    std::string out =
        key != nullptr
            ? key
            : "key " + std::string(pexilon::hex_spelling(pexilon::key_of(entry.type), 4).c_str());
    const std::size_t count = std::min<std::size_t>(entry.value_count, std::size(entry.values));
    for (std::size_t v = 0; v < count; ++v)
        out += ' ' + std::string(pexilon::hex_spelling(entry.values[v], 4).c_str());
    return out;
}

std::string group_text(std::uint32_t group)
{
    const char *name = pexilon::lookup_name(pexilon::section_codes, pexilon::group_section(group));
    if (name == nullptr)
        return "[" + std::string(pexilon::hex_spelling(group, 4).c_str()) + "]";
    return pexilon::header_text(name);
}

record_diff compare_records(const parsed_config &a, const parsed_config &b)
{
    record_diff diff;
    compare_camera(a.camera, b.camera, diff);
    compare_entries(a, b, diff);
    compare_controls(a, b, diff);
    return diff;
}

} // namespace pexilon::tool
