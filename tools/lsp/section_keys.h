// What the editor is told about the words of the dialect: the section
// headers one can write and the keys each kind of section reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pexilon::lsp {

// A key a section reads, with the field of the record it fills; derived
// from the library's vocabulary (config/vocabulary.h).
struct key_info {
    std::string name;
    std::string field; // "camera.width, camera.height", "params[].values", "controls[].step"
    std::string width; // "uint32_t", "char[50]", "uint32_t each", "uint32_t[16]"
    std::string note;  // how the value is read
};

// The header that makes the reader report `section` ("board parameter||dev2"
// is written "[board parameter][dev2]").
std::string header_text(std::string_view section);

// Every section header the library knows, in the order of its vocabulary.
std::vector<std::string> known_headers();

// The keys read under a section of this code (0 for an unknown section).
const std::vector<key_info> &keys_of(std::uint32_t section_code);

// The key `name` of a section of this code, or null.
const key_info *find_key(std::uint32_t section_code, std::string_view name);

// The code of a section name as the reader reports it, or 0.
std::uint32_t section_code(const char *section);

} // namespace pexilon::lsp
