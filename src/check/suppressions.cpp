#include "check/suppressions.h"

#include <algorithm>
#include <new>

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
    while (!names.empty()) {
        const std::size_t comma = names.find(',');
        const std::string_view name = trimmed(names.substr(0, comma));
        if (name != "all")
            d.names.emplace_back(name);
        names.remove_prefix(comma == std::string_view::npos ? names.size() : comma + 1);
    }
    const auto end = static_cast<std::size_t>(body.data() + body.size() - text.data());
    d.where = {reader_line, false, {at, std::max(end, at + marker.size())}};
    d.spelling = std::string(body);
    out.push_back(std::move(d));
}

// The directive in a comment of `line`, whose text is `text`, if any: on a
// comment line, or after the value or header where the reader takes the
// rest as a comment. Text in code blocks is code, not a comment.
void find_directives(const line_account &line, std::string_view text, std::vector<directive> &out)
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
    if (at != std::string_view::npos)
        read_directive(line.reader_line, text, from + at, out);
}

class directive_finder final : public account_listener {
public:
    directive_finder(const line_map &map, std::vector<directive> &out) : map_(map), out_(out) {}

    void account(const line_account &line) noexcept override
    {
        if (failed_)
            return;
        try {
            find_directives(line, map_.piece_text(line.reader_line), out_);
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

// The directive that turns `diag` off, or directives.size() for none.
std::size_t turned_off_by(const line_map &map, const std::vector<directive> &directives,
                          const raw_diagnostic &diag)
{
    const auto names = [](const directive &d, std::string_view name) {
        return d.names.empty() || std::find(d.names.begin(), d.names.end(), name) != d.names.end();
    };
    const std::size_t line = map.editor_line(diag.where.reader_line);
    std::size_t by = directives.size(); // the directive that turns it off
    for (std::size_t i = 0; i < directives.size(); ++i) {
        const directive &d = directives[i];
        const std::size_t at = map.editor_line(d.where.reader_line);
        if (!names(d, diag.name))
            continue;
        switch (d.scope) {
        case directive_scope::line:
            if (at == line)
                by = i;
            break;
        case directive_scope::next_line:
            if (at + 1 == line)
                by = i;
            break;
        case directive_scope::from_here:
            if (at < line)
                by = i;
            break;
        case directive_scope::enable:
            if (at < line && by < directives.size() &&
                directives[by].scope == directive_scope::from_here)
                by = directives.size();
            break;
        }
        if (by == i && d.scope != directive_scope::from_here)
            break; // a directive for one line is final
    }
    return by;
}

// What is wrong with a directive that turned `used` warnings off, or "".
std::string directive_problem(const directive &d, std::size_t used)
{
    std::string problem;
    for (const std::string &name : d.names) {
        const diagnostic_kind *kind = find_kind(name);
        if (kind == nullptr)
            problem = name.empty() ? "'" + d.spelling + "' is not a directive"
                                   : "'" + name + "' names no warning";
        else if (kind->severity != PEXILON_CHECK_WARNING)
            problem = "'" + name + "' is an error, which cannot be turned off";
        if (!problem.empty())
            break;
    }
    if (problem.empty() && used == 0 && d.scope != directive_scope::enable)
        problem = "it turns no warning off";
    return problem;
}

} // namespace

void apply_directives(const line_map &map, const std::vector<directive> &directives,
                      std::vector<raw_diagnostic> &found)
{
    if (directives.empty())
        return;
    std::vector<std::size_t> used(directives.size(), 0);
    std::erase_if(found, [&](const raw_diagnostic &diag) {
        if (diag.severity != PEXILON_CHECK_WARNING)
            return false;
        const std::size_t by = turned_off_by(map, directives, diag);
        if (by == directives.size())
            return false;
        ++used[by];
        return true;
    });
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
