// How `pexilon-config check` shows diagnostics: as a compiler does on a
// terminal, as one line each for editors, as GCC's JSON, or as SARIF.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "check/checker.h"

namespace pexilon::tool {

class diagnostic_output {
public:
    virtual ~diagnostic_output() = default;
    // `file` is the name to show for the input.
    virtual void add(const std::string &file, const pexilon::check::diagnostic &d) = 0;
    // Called once after every file: totals for the summary line.
    virtual void finish(std::size_t errors, std::size_t warnings) = 0;
};

// The text form: "FILE:LINE:COL: warning: MESSAGE [-WNAME]", the source
// line with a caret and underline, then notes; a summary at the end.
std::unique_ptr<diagnostic_output> text_output(std::FILE *out, bool color);
// The first line of each diagnostic and note alone, for editors.
std::unique_ptr<diagnostic_output> gcc_output(std::FILE *out);
// GCC's JSON diagnostics: one array of every diagnostic of every file.
std::unique_ptr<diagnostic_output> json_output(std::FILE *out);
// SARIF 2.1.0: one run holding every diagnostic of every file.
std::unique_ptr<diagnostic_output> sarif_output(std::FILE *out);
// GitHub Actions workflow commands: one annotation for each diagnostic.
std::unique_ptr<diagnostic_output> github_output(std::FILE *out);

// "-W" and the name: the option a GCC-style tool names a diagnostic by.
std::string option_of(const pexilon::check::diagnostic &d);
// What the text forms show in brackets after the message: the option of a
// warning, the bare name of an error (which no option turns off).
std::string bracketed_name(const pexilon::check::diagnostic &d);

} // namespace pexilon::tool
