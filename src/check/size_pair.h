// WIDTH and HEIGHT on lines of their own in a camera section: the reader
// knows neither name, as one key sets the two together (SIZE). Where the
// section holds exactly one line of each, each a plain number, and no SIZE
// line, the two lines are made that one line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "check/rule_pass.h"
#include "config/vocabulary.h"
#include "reader/line_map.h"

namespace pexilon::check {

// The names people give the halves of SIZE: "WIDTH", "HEIGHT".
const std::vector<std::string> &size_halves();

// A line of a camera section whose unknown name is near one of size_halves.
struct size_half {
    std::size_t diagnostic = 0; // its unknown-key warning: found_diagnostics::size() before it
    std::size_t reader_line = 0;
    text_span pair;           // "WIDTH = 1920": from the name to the value's end
    std::size_t text_end = 0; // the line's bytes without its line end
    std::string value;        // as written
    bool bare = false;        // nothing but white space after the value
    bool single_piece = false;
    bool width = false;  // its name is near the first half
    bool height = false; // near the second (a name near both is both)
};

// What a camera section gave that bears on joining its halves. Once it has
// two lines near one half there is nothing to join, and no more are kept:
// a file of many such lines costs no memory for them.
struct size_section {
    std::vector<size_half> halves;
    bool size_line = false; // a SIZE line stands in it
    bool crowded = false;   // two lines near the same half

    void add(size_half half);
};

// The fix that joins the halves: carried by the first of the two lines'
// warning (`diagnostic`), so that making every fix-it makes it once. No
// fixes when joining them is not certain. `camera` is the record's camera as
// the section left it; `map` places the lines for the words.
struct size_join {
    std::size_t diagnostic = 0;
    std::vector<fix_it> fixes;
};
size_join join_size_halves(const size_section &section, const camera_settings &camera,
                           const line_map &map);

} // namespace pexilon::check
