// The checker's listener: for each line, the account of what the reader took
// it for and what the interpreter did with it; it moves the rules' shared
// state on and hands the line to the rules (run_rules.h), and, when
// accounts are asked for, writes the words explain shows beside it.
#include "check/rule_pass.h"

#include <new>

#include "check/line_words.h"
#include "check/run_rules.h"
#include "check/run_state.h"
#include "support/record_ops.h"

namespace pexilon::check {

namespace {

class rule_listener final : public account_listener {
public:
    rule_listener(std::string_view text, const line_map &map, bool with_accounts,
                  account_listener *also)
        : state_(text, map), with_accounts_(with_accounts), also_(also)
    {
        if (with_accounts_)
            accounts_.resize(map.reader_lines());
    }

    ~rule_listener() { release_record(state_.record); }

    rule_listener(const rule_listener &) = delete;
    rule_listener &operator=(const rule_listener &) = delete;

    rule_pass_result run()
    {
        rule_pass_result result;
        check_line_ends(state_);
        result.report =
            parse_config_accounted(state_.text.data(), state_.text.size(), &state_.record, *this);
        guard([&] {
            close_section(state_);
            end_pair(state_);
            state_.emit(state_.empty_value);
        });
        if (failed_)
            throw std::bad_alloc();
        result.diagnostics = state_.found.in_order();
        result.record = held_record(state_.record);
        const line_map &map = state_.map;
        for (std::size_t i = 0; i < accounts_.size(); ++i) {
            const piece p = map.piece_at(i + 1);
            accounts_[i].editor_line = p.editor_line;
            accounts_[i].reader_line = i + 1;
            accounts_[i].piece = p.index;
            accounts_[i].source = map.line_text(p.editor_line);
            if (p.index > 1)
                accounts_[i].text =
                    "piece " + std::to_string(p.index) + " of a long line: " + accounts_[i].text;
        }
        result.accounts = std::move(accounts_);
        return result;
    }

    void account(const line_account &line) noexcept override
    {
        guard([&] {
            run_state &s = state_;
            s.line = &line;
            // Where the line stands, found once for all the rules.
            s.line_piece = s.map.piece_at(line.reader_line);
            s.text_now = line.reader_line <= s.map.reader_lines() ? s.map.piece_text(s.line_piece)
                                                                  : std::string_view();
            note_split(s, line.kind);
            track_line(s, line);
            on_shape(s, line);
            on_fate(s, line);
            if (line.problem != fault::none)
                on_fault(s, line.problem);
            const std::size_t n = line.reader_line;
            if (with_accounts_ && n >= 1 && n <= accounts_.size())
                accounts_[n - 1].text = line_words(line, s);
        });
        if (also_ != nullptr)
            also_->account(line);
    }

private:
    // No exception may cross the parse: a failure is remembered and thrown
    // once the parse is over.
    template <typename F>
    void guard(F &&f) noexcept
    {
        if (failed_)
            return;
        try {
            f();
        } catch (...) {
            failed_ = true;
        }
    }

    run_state state_;
    bool with_accounts_;
    account_listener *also_;
    bool failed_ = false;
    std::vector<explained_line> accounts_;
};

} // namespace

held_record &held_record::operator=(held_record &&other) noexcept
{
    if (this != &other) {
        release_record(record_);
        record_ = other.record_;
        other.record_ = {};
    }
    return *this;
}

held_record::~held_record() { release_record(record_); }

rule_pass_result run_rule_pass(std::string_view text, const line_map &map, bool with_accounts,
                               account_listener *also)
{
    rule_listener run(text, map, with_accounts, also);
    return run.run();
}

} // namespace pexilon::check
