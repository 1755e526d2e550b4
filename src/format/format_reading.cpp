// The formatter's adapter to the library: one parse with a listener on the
// reader, whose reports of reader lines (199-byte pieces) become facts about
// editor lines through the checker's line map.
#include "format/format_reading.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "check/line_rules.h"
#include "config/line_accounts.h"
#include "config/parse_config.h"
#include "config/record_compare.h"
#include "reader/byte_order_mark.h"
#include "reader/line_map.h"
#include "reader/text_helpers.h"
#include "support/record_ops.h"

namespace pexilon::check {

namespace {

// How the interpreter read a key line's value, from its account.
value_shape shape_of(const line_account &account) noexcept
{
    if (account.fate != line_fate::stored)
        return value_shape::ignored;
    return account.key.key->form == value_form::text ? value_shape::text : value_shape::numbers;
}

line_role role_of(line_kind kind) noexcept
{
    switch (kind) {
    case line_kind::blank:
        return line_role::blank;
    case line_kind::comment:
        return line_role::comment;
    case line_kind::header:
        return line_role::header;
    case line_kind::name_value:
        return line_role::pair;
    case line_kind::continuation:
        return line_role::continuation;
    case line_kind::block_start:
    case line_kind::block_line:
    case line_kind::block_end:
    case line_kind::block_cut:
        return line_role::block;
    case line_kind::faulty:
        return line_role::faulty;
    }
    return line_role::kept;
}

// What the accounts said of one reader line, offsets within that line.
struct heard_line {
    bool heard = false;
    line_role role = line_role::kept;
    value_shape shape = value_shape::ignored;
    text_span name;
    text_span value;
};

class listener final : public account_listener {
public:
    listener(const line_map &map, bool with_lines)
        : map_(map), lines_(with_lines ? map.reader_lines() : 0)
    {
    }

    void account(const line_account &account) noexcept override
    {
        try {
            if (account.problem != fault::none)
                faults_.push_back({account.reader_line, 0, static_cast<int>(account.problem),
                                   account.problem == fault::block_cut_off ||
                                       account.problem == fault::block_unterminated});
        } catch (...) {
            failed_ = true;
        }
        const std::size_t n = account.reader_line;
        if (n < 1 || n > lines_.size())
            return;
        heard_line &heard = lines_[n - 1];
        heard.heard = true;
        heard.role = role_of(account.kind);
        // A pair with no name whose first word is near a block marker
        // ("=====CODE_BLOCK_START======", "=I=====CODE_BLOCK_START======") is
        // most likely a misspelt marker: the checker says so of its first
        // word, so it stays as written.
        if (account.kind == line_kind::name_value && account.name.begin == account.name.end &&
            looks_like_marker(map_.piece_text(n)))
            heard.role = line_role::kept;
        heard.name = account.name;
        heard.value = account.value;
        if (account.kind == line_kind::name_value || account.kind == line_kind::continuation)
            heard.shape = shape_of(account);
    }

    const line_map &map_;
    std::vector<heard_line> lines_;
    std::vector<fault_mark> faults_;
    bool failed_ = false;
};

} // namespace

void record_release::operator()(parsed_config *config) const noexcept
{
    if (config != nullptr) {
        release_record(*config);
        delete config;
    }
}

bool is_white_byte(char c) noexcept { return is_white(c); }

text_reading read_for_format(std::string_view text, bool with_lines)
{
    const line_map map(text);
    listener heard(map, with_lines);
    text_reading reading;
    reading.record.reset(new parsed_config{});
    const parse_outcome outcome =
        parse_config_accounted(text.data(), text.size(), reading.record.get(), heard).outcome;
    if (heard.failed_)
        throw std::bad_alloc();
    reading.parse_result = outcome.line;
    reading.result_kind = static_cast<int>(outcome.kind);
    reading.faults = std::move(heard.faults_);
    for (fault_mark &mark : reading.faults)
        mark.editor_line = map.editor_line(mark.reader_line);

    if (!with_lines)
        return reading;
    if (text.substr(0, byte_order_mark.size()) == byte_order_mark)
        reading.bom = byte_order_mark.size();
    reading.lines.resize(map.editor_lines());
    for (std::size_t i = 0; i < map.reader_lines(); ++i) {
        const piece p = map.piece_at(i + 1);
        read_line &line = reading.lines[p.editor_line - 1];
        if (p.index == 1) {
            line.begin = p.begin;
            const heard_line &h = heard.lines_[i];
            line.role = h.heard ? h.role : line_role::kept;
            line.shape = h.shape;
            line.name_begin = p.begin + h.name.begin;
            line.name_end = p.begin + h.name.end;
            line.value_begin = p.begin + h.value.begin;
            line.value_end = p.begin + std::max(h.value.begin, h.value.end);
        } else {
            line.role = line_role::kept;
        }
        const std::size_t next = p.begin + map.piece_text(i + 1).size();
        line.end = next;
    }
    for (std::size_t n = 0; n < reading.lines.size(); ++n) {
        read_line &line = reading.lines[n];
        if (n == 0)
            line.begin = std::max(line.begin, reading.bom);
        std::size_t content_end = line.end;
        if (content_end > line.begin && text[content_end - 1] == '\n') {
            --content_end;
            if (content_end > line.begin && text[content_end - 1] == '\r')
                --content_end;
        }
        line.content_end = content_end;
        // A NUL byte ends a line for the reader: what follows it is not read,
        // and the formatter cannot tell what it is.
        if (text.substr(line.begin, line.end - line.begin).find('\0') != std::string_view::npos)
            line.role = line_role::kept;
    }
    return reading;
}

std::string record_difference(const parsed_config &before, const parsed_config &after)
{
    const record_mismatch mismatch = first_mismatch(before, after);
    if (!mismatch)
        return {};
    const std::string_view part = mismatch.part;
    if (part == "camera")
        return "the camera settings";
    if (part == "param_count")
        return "the number of board and register entries (" + std::to_string(before.param_count) +
               " before, " + std::to_string(after.param_count) + " after)";
    if (part == "control_count")
        return "the number of controls (" + std::to_string(before.control_count) + " before, " +
               std::to_string(after.control_count) + " after)";
    return std::string(part) + "[" + std::to_string(mismatch.index) + "]";
}

std::string_view fault_words(int kind) noexcept
{
    config_report report;
    report.outcome.kind = static_cast<fault>(kind);
    return describe_fault(report);
}

} // namespace pexilon::check
