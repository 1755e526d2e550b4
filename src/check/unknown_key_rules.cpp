// A key the section does not know: the name it is near, the section that
// knows it, or the half of SIZE it is meant as.
#include <algorithm>
#include <cctype>

#include "check/fixits.h"
#include "check/run_rules.h"
#include "check/suggestions.h"
#include "check/value_rules.h"

namespace pexilon::check {

namespace {

bool equals_ignoring_case_ascii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const key_row *own_row(run_state &s, std::string_view name)
{
    return s.section_code == section_camera    ? lookup_row(camera_keys, name)
           : s.section_code == section_control ? lookup_row(control_keys, name)
                                               : lookup_row(param_keys, name);
}

// The line just warned of as unknown, whose name is near `near` of
// size_halves(): kept until its camera section ends.
void note_size_half(run_state &s, const std::vector<std::string> &near)
{
    std::string_view text = s.line_text();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    size_half half;
    half.diagnostic = s.found.size();
    half.reader_line = s.line->reader_line;
    half.pair = {s.line->name.begin, s.line->value.end};
    half.text_end = text.size();
    half.value = s.span_text(s.line->value);
    half.bare = text.find_first_not_of(" \t", s.line->value.end) == std::string_view::npos;
    half.single_piece = s.map.pieces_of(s.map.editor_line(s.line->reader_line)) == 1;
    const auto names = [&](const std::string &wanted) {
        return std::find(near.begin(), near.end(), wanted) != near.end();
    };
    half.width = names(size_halves()[0]);
    half.height = names(size_halves()[1]);
    s.camera_halves.add(std::move(half));
}

} // namespace

void warn_unknown_key(run_state &s, const std::string &name)
{
    static const std::vector<std::string> camera = names_of(camera_keys, false);
    static const std::vector<std::string> control = names_of(control_keys, false);
    static const std::vector<std::string> params = names_of(param_keys, false);
    const std::vector<std::string> &own = s.section_code == section_camera    ? camera
                                          : s.section_code == section_control ? control
                                                                              : params;
    std::string hint;
    const std::string near = nearest_name(name, own);
    const std::vector<std::string> halves = s.section_code == section_camera
                                                ? nearest_names(name, size_halves())
                                                : std::vector<std::string>();
    if (lookup_row(camera_keys, name) != nullptr)
        hint = "'" + name + "' is a key of [camera parameter]";
    else if (lookup_row(control_keys, name) != nullptr)
        hint = "'" + name + "' is a key of [control parameter] sections";
    else if (lookup_row(param_keys, name) != nullptr)
        hint = "'" + name + "' is a key of the board and register sections";
    else if (!near.empty())
        hint = "did you mean '" + near + "'?" +
               (equals_ignoring_case_ascii(near, name) ? " (keys are case-sensitive)" : "");
    // The halves of SIZE: only when no key is near.
    const bool half = hint.empty() && !halves.empty();
    if (half)
        hint = "width and height are set together: SIZE = WIDTH, HEIGHT";
    diagnostic d{diag_id::unknown_key,
                 "unknown key '" + name + "' in " + as_header(s.section) + ": the line is ignored",
                 hint, s.at(s.line->name)};
    if (hint.find("did you mean") == 0)
        d.fixes = rename_fix(s.at(s.line->name), name, own, "the line is read as the key ");
    if (!d.fixes.empty())
        if (const key_row *row = own_row(s, d.fixes[0].replacement); row != nullptr) {
            d.fixes[0].change += key_label(*row) == "params[]" ? ", which adds an entry to params[]"
                                                               : ", which sets " + key_label(*row);
            d.fixes[0].record = {key_change(*row, s.section_code, true)};
        }
    // A warning of a half may come to carry the fix that joins the halves,
    // once the section ends.
    if (half)
        note_size_half(s, halves);
    s.add(d.id, d.where, std::move(d.message), std::move(d.hint)).fixes = std::move(d.fixes);
}

} // namespace pexilon::check
