"""Read camera module configuration files with libpexilon_config_parser.

    import pexilon_config

    config = pexilon_config.load("camera.conf")
    print(config.camera.width, config.camera.height)
    for entry in config.params:
        print(entry)

load() and loads() raise ParseError for a faulty line and OSError for a file
that cannot be read; check() (of a file) and checks() (of a text) list every
diagnostic through libpexilon_config_check, and format() (of a text) and
format_file() lay it out as `pexilon-config fmt` does (raising FormatError
where that would change what the library reads). Document edits a file one
value or line at a time, keeping every other byte, and dumps() and dump()
write a record as a new file (both raising EditError with the library's
reason for what they refuse). Pure Python over ctypes:
the libraries are found as
described in the package's README (arguments, PEXILON_CONFIG_LIBRARY and
PEXILON_CHECK_LIBRARY, a copy in the package, the system loader).
"""

from __future__ import annotations

from typing import List, Optional, Union

from ._check import Checker
from ._document import Document, dump, dumps
from ._edit_api import EditError
from ._editors import CameraEditor, ControlEditor, ControlList, EntryEditor, EntryList
from ._format import FormatError, format_text
from ._library import LibraryNotFoundError, PathArg
from ._model import (CameraSettings, Config, Control, Diagnostic, Fix, Key, Kind, Note,
                     ParamEntry, Severity)
from ._parse import ParseError, load, loads

__version__ = "1.0.0"

__all__ = [
    "CameraEditor", "CameraSettings", "Config", "Control", "ControlEditor", "ControlList",
    "Diagnostic", "Document", "EditError", "EntryEditor", "EntryList", "Fix", "FormatError", "Key",
    "Kind", "LibraryNotFoundError", "Note", "ParamEntry", "ParseError", "Severity", "check",
    "checks", "dump", "dumps", "format", "format_file", "load", "loads", "__version__",
]

# Errors and records print as the package's own, wherever they are defined.
for _public in (CameraEditor, CameraSettings, Config, Control, ControlEditor, ControlList,
                Diagnostic, Document, EditError, EntryEditor, EntryList, Fix, FormatError, Key,
                Kind, LibraryNotFoundError, Note, ParamEntry, ParseError, Severity):
    _public.__module__ = __name__


def check(path: PathArg | bytes, *, library: Optional[PathArg] = None) -> List[Diagnostic]:
    """Every diagnostic of the file at ``path``, in the order of its lines:
    the faulty lines as errors, and the lines read otherwise than they look
    as warnings. Raises OSError when the file cannot be read."""
    return Checker(library).check_path(path)


def checks(text: Union[str, bytes], *, library: Optional[PathArg] = None) -> List[Diagnostic]:
    """As check(), of a text instead of a file (str is taken as UTF-8; bytes
    as they are, NUL bytes included)."""
    data = text.encode("utf-8", "surrogateescape") if isinstance(text, str) else text
    return Checker(library).check_text(data)


def format_file(path: PathArg | bytes, *, align: bool = False, hex_case: str = "upper",
                library: Optional[PathArg] = None) -> bytes:
    """format() of the file at ``path``: its bytes in the layout of
    ``pexilon-config fmt``. Raises OSError when the file cannot be read and
    FormatError where format() does."""
    with open(path, "rb") as f:
        data = f.read()
    formatted = format_text(data, align=align, hex_case=hex_case, library=library)
    assert isinstance(formatted, bytes)
    return formatted


def format(text: Union[str, bytes], *, align: bool = False, hex_case: str = "upper",  # noqa: A001
           library: Optional[PathArg] = None) -> Union[str, bytes]:
    """``text`` in the layout of ``pexilon-config fmt``: str in, str out
    (bytes in, bytes out). ``align`` lines up the "=" of a section's lines;
    ``hex_case`` is "upper", "lower" or "keep". The result is read again by
    the library: where its record, parse result or a fault's line would
    differ, FormatError is raised instead."""
    return format_text(text, align=align, hex_case=hex_case, library=library)
