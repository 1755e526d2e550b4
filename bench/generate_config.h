// Deterministic generator of large configuration files for the benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pexilon_bench {

enum class shape {
    register_table, // board/register sections with REG, DELAY, VRCMD lines
    controls,       // many ~10-line control sections with a small code block
    code_block,     // one control whose code block fills the file
    long_lines,     // every line exactly 199 characters
    short_lines,    // as people write files: mixed sections, most lines under 20 bytes
    hand_written,   // register tables typed by hand: mixed "=" forms, about 19 bytes a line
};

inline constexpr shape all_shapes[] = {shape::register_table, shape::controls,
                                       shape::code_block,     shape::long_lines,
                                       shape::short_lines,    shape::hand_written};

const char *shape_name(shape s) noexcept;

// What a generated file holds, so that a parse can be checked against it.
struct generated_file {
    std::size_t lines = 0;
    std::size_t bytes = 0;
    std::size_t params = 0;     // board and register entries a parse must produce
    std::size_t controls = 0;   // control entries a parse must produce
    std::size_t code_bytes = 0; // code text bytes attached to controls
};

// Writes a file of exactly `lines` lines of the given shape to `path`. The
// content depends only on the shape and the line count (fixed seed).
// Returns false when the file cannot be written.
bool generate_config(const std::string &path, shape s, std::size_t lines, generated_file &out);

} // namespace pexilon_bench
