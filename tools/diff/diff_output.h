// Writing a record_diff for people (text) and for tools (JSON).
#pragma once

#include "diff/record_diff.h"
#include "loaded_config.h"

namespace pexilon::tool {

// Both files with the line each part of their record came from.
struct compared_file {
    const loaded_config &file;
    const pexilon::check::record_trace &trace;
};

void write_diff_text(const record_diff &diff, const compared_file &a, const compared_file &b);
void write_diff_json(const record_diff &diff, const compared_file &a, const compared_file &b);

} // namespace pexilon::tool
