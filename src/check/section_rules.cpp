// Sections: an unknown one (with the names it may be short of), and what
// is judged when a section ends.
#include "check/fixits.h"
#include "check/run_rules.h"
#include "check/suggestions.h"

namespace pexilon::check {

void on_section(run_state &s, std::string_view section, std::uint32_t code)
{
    s.section = section;
    s.section_code = code;
    s.ignored_lines = 0;
    s.emit(s.unknown_section);
    if (code == 0) {
        const std::string header = as_header(s.section);
        static const std::vector<std::string> known = names_of(section_codes, true);
        // "[board parameter][dev3]": name the sections it may be short of.
        std::string hint;
        for (const std::string &name : known)
            if (header.size() > 2 && name.size() > header.size() &&
                name.compare(0, header.size() - 1, header, 0, header.size() - 1) == 0 &&
                name[header.size() - 1] == ']')
                hint += (hint.empty() ? "did you mean " : " or ") + name;
        const bool short_of = !hint.empty();
        if (short_of)
            hint += "?";
        else if (const std::string near = nearest_name(header, known); !near.empty())
            hint = "did you mean " + near + "?";
        // Held until the section ends, when its lines are counted.
        s.unknown_section = s.hold({diag_id::unknown_section,
                                    "unknown section " + header + ": its lines are ignored", hint,
                                    s.at(s.header_span)});
        static const std::vector<std::string> plain = names_of(section_codes, false);
        if (!short_of && s.header_span.end - s.header_span.begin == s.section.size())
            s.unknown_section->held.fixes = section_fix(s.at(s.header_span), s.section, plain);
        return;
    }
    if (code == section_control && s.line->refused == reject_reason::none) {
        s.control = control_state{};
        s.control.active = true;
        s.control.index = s.record.control_count - 1;
        s.control.header = s.at(s.header_span);
    }
}

// Ends the current section: what can be judged only when it is over.
void close_section(run_state &s)
{
    // The unknown-key warnings of WIDTH and HEIGHT lines carry the fix
    // that joins them, known only now.
    if (s.section_code == section_camera) {
        size_join join = join_size_halves(s.camera_halves, s.record.camera, s.map);
        if (!join.fixes.empty())
            s.found.at(join.diagnostic).fixes = std::move(join.fixes);
    }
    s.camera_halves = {};
    if (s.unknown_section) {
        diagnostic &d = s.unknown_section->held;
        d.message = "unknown section " + as_header(s.section) + ": " +
                    (s.ignored_lines == 0 ? std::string("it has no lines")
                     : s.ignored_lines == 1
                         ? std::string("its 1 line is ignored")
                         : "its " + std::to_string(s.ignored_lines) + " lines are ignored");
        s.emit(s.unknown_section);
    }
    if (s.control.active) {
        check_control_range(s);
        close_control(s);
    }
    s.control.active = false;
}

} // namespace pexilon::check
