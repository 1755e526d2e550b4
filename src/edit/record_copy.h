// A record held by value, to be changed as an edit says and compared with
// the record its result reads back as: the old record plus exactly the
// change is what every edit must yield.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "pexilon/config_parser.h"

namespace pexilon::edit {

class record_copy {
public:
    explicit record_copy(const parsed_config &record);

    camera_settings camera{};
    std::vector<param_entry> params;
    std::vector<control_entry> controls;           // code pointers are not kept here
    std::vector<std::optional<std::string>> codes; // by control

    void insert_control(std::size_t at, const control_entry &control,
                        std::optional<std::string> code);
    void erase_control(std::size_t at);

    // A record that points into this copy, for the record comparison.
    parsed_config view();

private:
    std::vector<control_entry> shown_;
};

} // namespace pexilon::edit
