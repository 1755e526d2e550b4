# Written by tests/layout/python_dialect.cpp from the library's vocabulary and
# reader; the test python_dialect fails when this file is not what it would
# write. Regenerate: build/default/tests/python_dialect --write THIS_FILE
"""Facts of the file dialect that the package shares with the library."""

from typing import Dict

# Section names by the upper half of a type code, as the line parser
# reports them (bracket groups joined by "||").
SECTION_NAMES: Dict[int, str] = {
    0x0100: "camera parameter",
    0x0400: "control parameter",
    0x0200: "board parameter",
    0x0202: "board parameter||dev2",
    0x0204: "board parameter||dev3||inf2",
    0x0203: "board parameter||dev3||inf3",
    0x0300: "register parameter",
    0x0304: "register parameter||dev3||inf2",
    0x0303: "register parameter||dev3||inf3",
}

# The same sections by their headers as a file writes them.
SECTION_HEADERS: Dict[int, str] = {
    0x0100: "[camera parameter]",
    0x0400: "[control parameter]",
    0x0200: "[board parameter]",
    0x0202: "[board parameter][dev2]",
    0x0204: "[board parameter][dev3][inf2]",
    0x0203: "[board parameter][dev3][inf3]",
    0x0300: "[register parameter]",
    0x0304: "[register parameter][dev3][inf2]",
    0x0303: "[register parameter][dev3][inf3]",
}

# The reader takes a line in pieces of at most this many bytes, newline
# included, and counts each piece as a line.
PIECE_BYTES = 199
