#include "generate_config.h"

#include <cstdio>
#include <string>

namespace pexilon_bench {

namespace {

// The longest line that reaches the parser in one piece: 198 characters and
// the newline fill the 200-byte line buffer with its terminator.
constexpr std::size_t longest_line = 198;

// splitmix64: small, fast and the same on every platform.
struct random_source {
    std::uint64_t state;
    std::uint64_t next() noexcept
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned n) noexcept { return static_cast<unsigned>(next() % n); }
};

std::string format(const char *fmt, unsigned a, unsigned b = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

// Collects exactly `limit` lines and writes them out in large chunks.
class writer {
public:
    writer(std::FILE *file, std::size_t limit, bool pad) : file_(file), limit_(limit), pad_(pad) {}

    std::size_t left() const noexcept { return limit_ - stats.lines; }

    // Appends one line (padded with blanks to the longest line when asked);
    // false when the file is already full.
    bool line(std::string text)
    {
        if (left() == 0)
            return false;
        if (pad_ && text.size() < longest_line)
            text.append(longest_line - text.size(), ' ');
        chunk_ += text;
        chunk_ += '\n';
        ++stats.lines;
        stats.bytes += text.size() + 1;
        if (chunk_.size() > (1u << 20))
            flush();
        return true;
    }

    bool flush()
    {
        const bool ok = std::fwrite(chunk_.data(), 1, chunk_.size(), file_) == chunk_.size();
        chunk_.clear();
        return ok;
    }

    generated_file stats;

private:
    std::FILE *file_;
    std::size_t limit_;
    bool pad_;
    std::string chunk_;
};

void camera_section(writer &w)
{
    for (const char *text :
         {"; camera module configuration (generated)", "[camera parameter]", "CFG_MODE = 1",
          "TYPE = MIPI", "SIZE = 1920, 1080", "BIT_WIDTH = 10", "FORMAT = 1, 2", "I2C_MODE = 1",
          "I2C_ADDR = 0x36", "TRANS_LVL = 0", ""})
        w.line(text);
}

const char *const board_register_headers[] = {
    "[board parameter]",
    "[board parameter][dev2]",
    "[board parameter][dev3][inf2]",
    "[board parameter][dev3][inf3]",
    "[register parameter]",
    "[register parameter][dev3][inf2]",
    "[register parameter][dev3][inf3]",
};

// A list of `count` hexadecimal numbers: register address first.
std::string hex_list(random_source &rng, unsigned count, bool wide)
{
    std::string text = format(wide ? "0x%08X" : "0x%04X", 0x3000 + rng.below(0x1000));
    for (unsigned i = 1; i < count; ++i)
        text += format(wide ? ", 0x%08X" : ", 0x%02X", rng.below(wide ? 0xFFFFFFFFu : 0x100));
    return text;
}

void register_table(writer &w, random_source &rng)
{
    while (w.left() > 0) {
        w.line(board_register_headers[rng.below(7)]);
        for (unsigned n = 20 + rng.below(40); n > 0 && w.left() > 0; --n) {
            const unsigned pick = rng.below(20);
            if (pick == 0)
                w.line(format("; sensor init step %u", rng.below(1000)));
            else if (pick == 1)
                w.line(format("# PLL setting %u", rng.below(100)));
            else if (pick == 2)
                w.line("");
            else if (pick == 3)
                w.line("// analog gain table");
            else if (pick <= 5 && w.line(format("DELAY = %u ; ms", 1 + rng.below(50))))
                ++w.stats.params;
            else if (pick == 6 && w.line("VRCMD = " + hex_list(rng, 2, false)))
                ++w.stats.params;
            else if (pick <= 8 && w.left() >= 2) {
                // A REG line and an indented continuation: two entries.
                w.line("REG = " + hex_list(rng, 2, false));
                w.line("    " + hex_list(rng, 2, false));
                w.stats.params += 2;
            } else if (pick > 8) {
                const char *sep = pick == 19 ? "REG: " : "REG = ";
                if (w.line(sep + hex_list(rng, 1 + rng.below(4), false)))
                    ++w.stats.params;
            }
        }
        w.line("");
    }
}

// A code line of a control's code text; `depth` is its indentation.
std::string code_line(random_source &rng, unsigned depth)
{
    const std::string indent(4 * depth, ' ');
    switch (rng.below(6)) {
    case 0:
        return indent + format("if (val > 0x%X) {", rng.below(0x10000));
    case 1:
        return indent + format("delay(%u);", 1 + rng.below(20));
    case 2:
        return indent + "; keep the sensor streaming";
    default:
        return indent + format("reg_write(0x%04X, (val >> %u) & 0xff);", 0x3500 + rng.below(0x100),
                               8 * rng.below(3));
    }
}

// Writes the code lines of one block and counts the text they make.
void code_lines(writer &w, random_source &rng, std::size_t count)
{
    std::size_t size = 1; // terminator
    for (std::size_t i = 0; i < count; ++i) {
        const std::string text = code_line(rng, 1 + static_cast<unsigned>(i % 3));
        w.line(text);
        size += text.size() + 1;
    }
    w.stats.code_bytes += size;
}

void control_keys(writer &w, random_source &rng, unsigned id)
{
    w.line("MIN_VALUE = " + format("%u", rng.below(16)));
    w.line("MAX_VALUE = " + format("%u", 255 + rng.below(65536)));
    w.line("STEP = 1");
    w.line("DEF = " + format("0x%X", rng.below(256)));
    w.line(format("CTRL_NAME = Control %u", id));
    w.line(format("FUNC_NAME = set_control_%u", id));
}

void controls(writer &w, random_source &rng)
{
    for (unsigned id = 0; w.left() > 0; ++id) {
        const std::size_t code = 2 + rng.below(3);
        if (w.left() < 9 + code) { // a whole section no longer fits
            while (w.line("; end of controls")) {
            }
            break;
        }
        w.line("[control parameter]");
        control_keys(w, rng, id);
        w.line("======CODE_BLOCK_START======");
        code_lines(w, rng, code);
        w.line("======CODE_BLOCK_END======");
        ++w.stats.controls;
    }
}

void code_block(writer &w, random_source &rng)
{
    w.line("[control parameter]");
    control_keys(w, rng, 0);
    w.line("======CODE_BLOCK_START======");
    code_lines(w, rng, w.left() > 1 ? w.left() - 1 : 0);
    w.line("======CODE_BLOCK_END======");
    ++w.stats.controls;
}

void long_lines(writer &w, random_source &rng)
{
    while (w.left() > 0) {
        w.line(board_register_headers[rng.below(7)]);
        for (unsigned n = 20 + rng.below(40); n > 0 && w.left() > 0; --n) {
            const unsigned pick = rng.below(8);
            if (pick == 0) {
                std::string text = "; ";
                while (text.size() < longest_line)
                    text += "long comment text, ";
                w.line(text.substr(0, longest_line));
            } else if (pick == 1 && w.left() >= 2) {
                w.line("REG = " + hex_list(rng, 16, true));
                w.line("  " + hex_list(rng, 16, true));
                w.stats.params += 2;
            } else if (w.line("REG = " + hex_list(rng, 16, true))) {
                ++w.stats.params;
            }
        }
    }
}

// Sections as people write them by hand: short register tables (`=` with
// and without blanks around it, short numbers), comments and blank lines
// between groups, and now and then a control with its keys and a small
// code block. Most lines have fewer than 20 bytes.
void short_register_lines(writer &w, random_source &rng)
{
    w.line(board_register_headers[rng.below(7)]);
    for (unsigned n = 8 + rng.below(24); n > 0 && w.left() > 0; --n) {
        const unsigned pick = rng.below(16);
        if (pick == 0)
            w.line(format("; step %u", rng.below(100)));
        else if (pick == 1)
            w.line("");
        else if (pick == 2 && w.line(format("DELAY=%u", 1 + rng.below(20))))
            ++w.stats.params;
        else if (pick == 3 && w.line(format("VRCMD = %u", rng.below(4))))
            ++w.stats.params;
        else if (pick <= 9 &&
                 w.line(format("REG=0x%X,0x%X", 0x30 + rng.below(0x40), rng.below(0x100))))
            ++w.stats.params;
        else if (pick > 9 &&
                 w.line(format("REG = 0x%X, 0x%X", 0x30 + rng.below(0x40), rng.below(0x100))))
            ++w.stats.params;
    }
    w.line("");
}

void short_control(writer &w, random_source &rng, unsigned id)
{
    if (w.left() < 12)
        return;
    w.line("[control parameter]");
    w.line("MIN_VALUE=0");
    w.line(format("MAX_VALUE = %u", 15 + rng.below(240)));
    w.line("STEP=1");
    w.line(format("DEF = %u", rng.below(16)));
    w.line(format("CTRL_NAME=Ctl%u", id));
    w.line(format("FUNC_NAME = f%u", id));
    w.line("======CODE_BLOCK_START======");
    code_lines(w, rng, 2);
    w.line("======CODE_BLOCK_END======");
    w.line("");
    ++w.stats.controls;
}

void short_lines(writer &w, random_source &rng)
{
    for (unsigned id = 0; w.left() > 0;) {
        if (rng.below(8) == 0 && w.left() >= 12)
            short_control(w, rng, id++);
        else
            short_register_lines(w, rng);
    }
}

// The three ways people write the "=": tight, spaced, and spaced after only.
const char *const hand_separators[] = {"=", " = ", "= "};

// One to four numbers: a register address of four hex digits first, then
// short values, mostly hex and now and then decimal, the commas with or
// without a blank after them.
std::string hand_numbers(random_source &rng)
{
    const unsigned count = 1 + rng.below(4);
    const char *comma = rng.below(3) == 0 ? "," : ", ";
    std::string text = format("0x%04X", 0x3000 + rng.below(0x1000));
    for (unsigned i = 1; i < count; ++i) {
        text += comma;
        text +=
            rng.below(4) == 0 ? format("%u", rng.below(100)) : format("0x%02X", rng.below(0x100));
    }
    return text;
}

// Register tables as they are typed by hand: the separators of one file
// mixed line by line, one to four short numbers, a comment or a blank line
// every few lines. Lines average about 19 bytes.
void hand_written(writer &w, random_source &rng)
{
    while (w.left() > 0) {
        w.line(board_register_headers[rng.below(7)]);
        for (unsigned n = 10 + rng.below(30); n > 0 && w.left() > 0; --n) {
            const unsigned pick = rng.below(14);
            const char *sep = hand_separators[rng.below(3)];
            if (pick == 0)
                w.line(format("; init step %u, lane %u", rng.below(100), rng.below(4)));
            else if (pick == 1)
                w.line(rng.below(2) == 0 ? "# analog gain" : "// pll settings");
            else if (pick == 2)
                w.line("");
            else if (pick == 3 &&
                     w.line(std::string("DELAY") + sep + format("%u ; ms", rng.below(50))))
                ++w.stats.params;
            else if (pick > 3 && w.line(std::string("REG") + sep + hand_numbers(rng)))
                ++w.stats.params;
        }
    }
}

} // namespace

const char *shape_name(shape s) noexcept
{
    switch (s) {
    case shape::register_table:
        return "registers";
    case shape::controls:
        return "controls";
    case shape::code_block:
        return "code_block";
    case shape::long_lines:
        return "long_lines";
    case shape::short_lines:
        return "short_lines";
    case shape::hand_written:
        return "hand_written";
    }
    return "?";
}

bool generate_config(const std::string &path, shape s, std::size_t lines, generated_file &out)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    writer w(file, lines, s == shape::long_lines);
    random_source rng{0x5EED0000u + static_cast<unsigned>(s)};
    camera_section(w);
    switch (s) {
    case shape::register_table:
        register_table(w, rng);
        break;
    case shape::controls:
        controls(w, rng);
        break;
    case shape::code_block:
        code_block(w, rng);
        break;
    case shape::long_lines:
        long_lines(w, rng);
        break;
    case shape::short_lines:
        short_lines(w, rng);
        break;
    case shape::hand_written:
        hand_written(w, rng);
        break;
    }
    const bool ok = w.flush();
    out = w.stats;
    return std::fclose(file) == 0 && ok;
}

} // namespace pexilon_bench
