#include "document/fault_reading.h"

#include <new>

#include "config/told_parse.h"

namespace pexilon {

namespace {

// Keeps the fault of each line as its account would: the line's own, then a
// later one told of the same line only where it stands over it.
class fault_keeper final : public reader_sink {
public:
    explicit fault_keeper(std::vector<line_fault> &faults) : faults_(faults) {}

    void line(std::size_t reader_line, const line_event &event) noexcept override
    {
        finish();
        open_ = {reader_line, event.problem};
    }

    void fault_at(std::size_t reader_line, fault kind, bool replaces) noexcept override
    {
        if (reader_line == open_.reader_line && (open_.problem == fault::none || replaces))
            open_.problem = kind;
    }

    // The line told of last is over.
    void finish() noexcept
    {
        if (open_.problem == fault::none)
            return;
        try {
            faults_.push_back(open_);
        } catch (...) {
            failed_ = true;
        }
        open_.problem = fault::none;
    }

    bool failed() const noexcept { return failed_; }

private:
    std::vector<line_fault> &faults_;
    line_fault open_;
    bool failed_ = false;
};

} // namespace

faulty_lines read_faulty_lines(std::string_view text, parsed_config &record)
{
    faulty_lines out;
    fault_keeper keeper(out.faults);
    out.report = parse_config_told(text.data(), text.size(), &record, keeper);
    keeper.finish();
    if (keeper.failed())
        throw std::bad_alloc();
    return out;
}

} // namespace pexilon
