// The Python package's copy of the dialect's facts (its section table, each
// section's header as written, and the reader's piece size), written from
// the library's own constants and its one conversion of names to headers:
//
//   python_dialect FILE          fails when FILE is not what it would write
//   python_dialect --write FILE  writes it
//
// so that a section added to the vocabulary, or a change of the piece size,
// cannot leave the package behind.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "config/section_names.h"
#include "config/vocabulary.h"
#include "reader/line_map.h"
#include "support/hex_text.h"

namespace {

std::string module_text()
{
    std::ostringstream out;
    out << "# Written by tests/layout/python_dialect.cpp from the library's vocabulary and\n"
           "# reader; the test python_dialect fails when this file is not what it would\n"
           "# write. Regenerate: build/default/tests/python_dialect --write THIS_FILE\n"
           "\"\"\"Facts of the file dialect that the package shares with the library.\"\"\"\n"
           "\n"
           "from typing import Dict\n"
           "\n"
           "# Section names by the upper half of a type code, as the line parser\n"
           "# reports them (bracket groups joined by \"||\").\n"
           "SECTION_NAMES: Dict[int, str] = {\n";
    // Keyed as the package reads a type code: its upper half.
    for (const pexilon::code_row *row = pexilon::section_codes; row->name != nullptr; ++row)
        out << "    " << pexilon::hex_spelling(row->code >> 16, 4).c_str() << ": \"" << row->name
            << "\",\n";
    out << "}\n"
           "\n"
           "# The same sections by their headers as a file writes them.\n"
           "SECTION_HEADERS: Dict[int, str] = {\n";
    for (const pexilon::code_row *row = pexilon::section_codes; row->name != nullptr; ++row)
        out << "    " << pexilon::hex_spelling(row->code >> 16, 4).c_str() << ": \""
            << pexilon::header_text(row->name) << "\",\n";
    out << "}\n"
           "\n"
           "# The reader takes a line in pieces of at most this many bytes, newline\n"
           "# included, and counts each piece as a line.\n"
           "PIECE_BYTES = "
        << pexilon::piece_limit << "\n";
    return out.str();
}

} // namespace

int main(int argc, char **argv)
{
    const bool write = argc == 3 && std::strcmp(argv[1], "--write") == 0;
    if (argc != 2 && !write) {
        std::fprintf(stderr, "usage: python_dialect [--write] FILE\n");
        return 2;
    }
    const char *path = argv[argc - 1];
    const std::string text = module_text();
    if (write) {
        std::ofstream(path, std::ios::binary) << text;
        return 0;
    }
    std::ifstream in(path, std::ios::binary);
    const std::string found{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (found == text)
        return 0;
    std::fprintf(stderr, "%s is not what the library's constants give; run\n  %s --write %s\n",
                 path, argv[0], path);
    return 1;
}
