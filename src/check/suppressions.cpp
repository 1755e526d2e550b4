#include "check/suppressions.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <new>
#include <unordered_map>
#include <utility>

#include "check/checker.h"
#include "support/record_ops.h"

namespace pexilon::check {

namespace {

constexpr std::string_view marker = "pexilon-config:";

bool is_space(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (is_space(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// The start of a comment in `text` (text after a value or a header): a ';'
// or "//" at its start or after white space; npos when there is none.
std::size_t comment_start(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool after_space = i == 0 || is_space(text[i - 1]);
        if (after_space && (text[i] == ';' || text.substr(i, 2) == "//"))
            return i;
    }
    return std::string_view::npos;
}

// Reads "disable-line=a,b" after the marker at `at` of `text`.
void read_directive(std::size_t reader_line, std::string_view text, std::size_t at,
                    std::vector<directive> &out)
{
    std::string_view rest = text.substr(at + marker.size());
    const std::string_view body = trimmed(rest);
    const std::size_t equals = body.find('=');
    const std::string_view word = trimmed(body.substr(0, equals));
    directive d;
    if (word == "disable-next-line")
        d.scope = directive_scope::next_line;
    else if (word == "disable-line")
        d.scope = directive_scope::line;
    else if (word == "disable")
        d.scope = directive_scope::from_here;
    else if (word == "enable")
        d.scope = directive_scope::enable;
    else
        d.scope = directive_scope::line, d.names.push_back("");
    std::string_view names =
        equals == std::string_view::npos ? std::string_view() : body.substr(equals + 1);
    // "all" anywhere in the list means all: the other names add nothing.
    bool all = false;
    const bool listed = equals != std::string_view::npos;
    if (listed && trimmed(names).empty())
        d.refused = "no warning is named after '='";
    while (!names.empty()) {
        const std::size_t comma = names.find(',');
        const std::string_view name = trimmed(names.substr(0, comma));
        all = all || name == "all";
        if (name != "all")
            d.names.emplace_back(name);
        names.remove_prefix(comma == std::string_view::npos ? names.size() : comma + 1);
    }
    if (all && (d.names.empty() || !d.names.front().empty()))
        d.names.clear();
    const auto end = static_cast<std::size_t>(body.data() + body.size() - text.data());
    d.where = {reader_line, false, {at, std::max(end, at + marker.size())}};
    d.spelling = std::string(body);
    out.push_back(std::move(d));
}

// The directive in a comment of `line`, whose text is `text`, if any: on a
// comment line, or after the value or header where the reader takes the
// rest as a comment. Text in code blocks is code, not a comment.
void find_directives(const line_account &line, std::string_view text, bool cut_off,
                     std::vector<directive> &out)
{
    std::size_t from = 0;
    switch (line.kind) {
    case line_kind::comment:
        break;
    case line_kind::header:
        from = line.name.end + 1; // past the ']'
        break;
    case line_kind::name_value:
    case line_kind::continuation:
        from = line.value.end;
        break;
    default:
        return; // blank, code block, faulty lines: no comment is read
    }
    if (from > text.size())
        return;
    const std::string_view tail = text.substr(from);
    const std::size_t comment = line.kind == line_kind::comment ? 0 : comment_start(tail);
    if (comment == std::string_view::npos)
        return;
    const std::size_t at = tail.find(marker, comment);
    if (at == std::string_view::npos)
        return;
    read_directive(line.reader_line, text, from + at, out);
    // The reader reads a long line in pieces, and only this one as comment:
    // what the directive names may go on in the next, so that, read alone,
    // it would name less than was written, or nothing, which means all.
    if (cut_off)
        out.back().refused = "the line is longer than the reader reads at once, and the "
                             "directive may go on past this piece";
}

class directive_finder final : public account_listener {
public:
    directive_finder(const line_map &map, std::vector<directive> &out) : map_(map), out_(out) {}

    void account(const line_account &line) noexcept override
    {
        if (failed_)
            return;
        try {
            const piece here = map_.piece_at(line.reader_line);
            const bool cut_off = line.reader_line < map_.reader_lines() &&
                                 map_.editor_line(line.reader_line + 1) == here.editor_line;
            find_directives(line, map_.piece_text(here), cut_off, out_);
        } catch (...) {
            failed_ = true;
        }
    }

    bool failed() const { return failed_; }

private:
    const line_map &map_;
    std::vector<directive> &out_;
    bool failed_ = false;
};

} // namespace

std::vector<directive> directives_of(std::string_view text, const line_map &map)
{
    std::vector<directive> out;
    if (text.find(marker) == std::string_view::npos)
        return out;
    directive_finder finder(map, out);
    parsed_config record{};
    parse_config_accounted(text.data(), text.size(), &record, finder);
    release_record(record);
    if (finder.failed())
        throw std::bad_alloc();
    return out;
}

namespace {

bool names_it(const directive &d, std::string_view name)
{
    if (!d.refused.empty())
        return false;
    return d.names.empty() || std::find(d.names.begin(), d.names.end(), name) != d.names.end();
}

// Which directives turn warnings off where, read once in line order, so
// that each warning asks only about its own line: the directives for one
// line by that line, and the disable/enable ranges as the sweep reaches them.
class directive_index {
public:
    directive_index(const line_map &map, const std::vector<directive> &directives)
        : map_(map), directives_(directives)
    {
        for (std::size_t i = 0; i < directives.size(); ++i) {
            const directive &d = directives[i];
            const std::size_t at = map.editor_line(d.where.reader_line);
            if (d.scope == directive_scope::line)
                for_line_[at].push_back(i);
            else if (d.scope == directive_scope::next_line)
                for_line_[at + 1].push_back(i);
        }
    }

    // The directive that turns `diag` off, or directives.size() for none.
    // Warnings must come in the order of their lines.
    std::size_t turned_off_by(const diagnostic &diag)
    {
        const std::size_t line = map_.editor_line(diag.where.reader_line);
        // A directive for one line is final.
        if (const auto own = for_line_.find(line); own != for_line_.end())
            for (const std::size_t i : own->second)
                if (names_it(directives_[i], diag.name()))
                    return i;
        for (; next_ < directives_.size() &&
               map_.editor_line(directives_[next_].where.reader_line) < line;
             ++next_)
            reach(next_);
        // The later of the last disable and the last enable that name it wins;
        // both are kept one past their index, 0 for none.
        std::size_t disabled = all_.first;
        std::size_t enabled = all_.second;
        if (const auto named = by_name_.find(diag.name()); named != by_name_.end()) {
            disabled = std::max(disabled, named->second.first);
            enabled = std::max(enabled, named->second.second);
        }
        return disabled > enabled ? disabled - 1 : directives_.size();
    }

private:
    using latest = std::pair<std::size_t, std::size_t>; // disable, enable

    void reach(std::size_t i)
    {
        const directive &d = directives_[i];
        if ((d.scope != directive_scope::from_here && d.scope != directive_scope::enable) ||
            !d.refused.empty())
            return;
        const auto mark = [&](latest &l) {
            (d.scope == directive_scope::from_here ? l.first : l.second) = i + 1;
        };
        if (d.names.empty())
            mark(all_);
        for (const std::string &name : d.names)
            mark(by_name_[name]);
    }

    const line_map &map_;
    const std::vector<directive> &directives_;
    std::unordered_map<std::size_t, std::vector<std::size_t>> for_line_;
    std::map<std::string, latest, std::less<>> by_name_;
    latest all_{0, 0};
    std::size_t next_ = 0; // the first directive the sweep has not reached
};

// What is wrong with a directive that turned `used` warnings off, or "".
std::string directive_problem(const directive &d, std::size_t used)
{
    if (!d.refused.empty())
        return d.refused;
    std::string problem;
    for (const std::string &name : d.names) {
        const diagnostic_kind *kind = find_kind(name);
        if (kind == nullptr)
            problem = name.empty() ? "'" + d.spelling + "' is not a directive"
                                   : "'" + name + "' names no warning";
        else if (kind->severity != PEXILON_CHECK_WARNING)
            problem = "'" + name + "' is an error, which cannot be turned off";
        else if (kind->id == diag_id::suppression)
            // Its warnings judge the directives themselves, after every
            // other warning is turned off: none is there yet to turn off.
            problem = "'" + name + "' cannot be turned off by a directive";
        if (!problem.empty())
            break;
    }
    if (problem.empty() && used == 0 && d.scope != directive_scope::enable)
        problem = "it turns no warning off";
    return problem;
}

} // namespace

void apply_directives(const line_map &map, const std::vector<directive> &directives,
                      diagnostic_list &found)
{
    if (directives.empty())
        return;
    std::vector<std::size_t> used(directives.size(), 0);
    std::vector<std::size_t> order(found.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return found[a].where.reader_line < found[b].where.reader_line;
    });
    std::vector<bool> off(found.size(), false);
    directive_index index(map, directives);
    for (const std::size_t i : order) {
        if (found[i].severity != PEXILON_CHECK_WARNING)
            continue;
        const std::size_t by = index.turned_off_by(found[i]);
        if (by == directives.size())
            continue;
        ++used[by];
        off[i] = true;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < found.size(); ++i)
        if (!off[i]) {
            if (kept != i) // a move onto itself would empty it
                found[kept] = std::move(found[i]);
            ++kept;
        }
    found.erase(found.begin() + static_cast<std::ptrdiff_t>(kept), found.end());
    for (std::size_t i = 0; i < directives.size(); ++i) {
        const directive &d = directives[i];
        const std::string problem = directive_problem(d, used[i]);
        if (!problem.empty())
            found.push_back({diag_id::suppression,
                             "directive '" + d.spelling + "': " + problem,
                             "directives: disable-next-line, disable-line, disable, enable, "
                             "each with =NAME,... or =all",
                             d.where,
                             {}});
    }
}

} // namespace pexilon::check
