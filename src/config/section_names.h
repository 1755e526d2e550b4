// A section's name and the header that names it. The line parser joins the
// bracket groups of a header with "||", so "[board parameter][dev2]" is the
// section "board parameter||dev2" of the vocabulary; what writes a header
// for a name, or looks up the name of a header as written, converts here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pexilon {

// What the line parser puts between two bracket groups of a header.
inline constexpr std::string_view section_group_joint = "||";
// The same place in the header as written.
inline constexpr std::string_view header_group_joint = "][";

namespace section_detail {
inline std::string replace_all(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t next = text.find(from, at);
        out.append(text.substr(at, next - at));
        if (next == std::string_view::npos)
            return out;
        out.append(to);
        at = next + from.size();
    }
}
} // namespace section_detail

// "board parameter||dev2" -> "[board parameter][dev2]".
inline std::string header_text(std::string_view section)
{
    return "[" + section_detail::replace_all(section, section_group_joint, header_group_joint) +
           "]";
}

// The text between a header's first "[" and last "]" -> the section's name:
// "board parameter][dev2" -> "board parameter||dev2".
inline std::string section_name(std::string_view inside_brackets)
{
    return section_detail::replace_all(inside_brackets, header_group_joint, section_group_joint);
}

} // namespace pexilon
