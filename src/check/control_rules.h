// What a control section leaves out: a control with no name or no step, an
// empty control, two controls of one name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/rule_pass.h"

namespace pexilon::check {

// What a control section gave, once it is over.
struct control_facts {
    std::size_t index = 0; // in controls; its label is made only for a diagnostic
    place header;          // its "[control parameter]"
    bool any_key = false;
    bool has_name = false;
    place name; // where CTRL_NAME was given
    bool has_step = false;
    bool has_code = false;
    std::string_view ctrl_name; // as the record holds it
};

// The names of the controls so far, each with where it was given first. One
// flat table probed in place, the names in one block of text: a file of
// many controls costs no allocation, and no scattered node, a name.
class control_names {
public:
    // Where `name` was given first, or null when it is new (then it is
    // remembered as given at `where`). Valid until the next call.
    const place *first(std::string_view name, const place &where);
    // `name` is likely asked for soon: its slot is fetched ahead. Among tens
    // of thousands of controls the slot is out of the caches, and fetched
    // when the control's name is set, it is in by the time the control ends.
    void expect(std::string_view name) const noexcept;

private:
    // A slot holds the high half of its name's hash over the name's 1-based
    // index in entries_ (0: free). At eight bytes a slot, the table of a
    // file of a hundred thousand controls mostly stays in the caches, and a
    // new name, the common case, is told by its slot alone.
    using slot = std::uint64_t;
    struct entry {
        std::size_t begin; // in text_
        std::size_t size;
        std::uint64_t hash; // kept: the table grows without hashing every name again
        place where;
    };
    std::string_view name_of(const entry &e) const
    {
        return std::string_view(text_).substr(e.begin, e.size);
    }
    void grow();

    std::vector<slot> slots_; // a power of two, at most half of them used
    std::vector<entry> entries_;
    std::string text_;
};

// Adds to `out` what the control lacks; `names` holds the names of the
// controls before it, and gets this one's.
void check_control_keys(const control_facts &control, control_names &names,
                        std::vector<diagnostic> &out);

} // namespace pexilon::check
