"""load() and loads(): the one exported function of libpexilon_config_parser."""

from __future__ import annotations

import ctypes
import errno
import os
from typing import List, Optional, Sequence, Tuple, Union

from ._check import Checker, first_error
from ._dialect import PIECE_BYTES
from ._library import PARSER_ENV, PARSER_SONAME, PathArg, cached_library
from ._model import Config
from ._record import CParsedConfig, fill_record, to_config

# The reader takes a line in pieces of at most this many bytes, newline
# included, and counts each piece as a line.
_PIECE = PIECE_BYTES


class ParseError(ValueError):
    """A line of the file is faulty.

    ``lineno`` is the line as editors count it, ``reason`` what is wrong with
    it, ``path`` the file, and ``config`` the record as filled: the library
    reads on past a faulty line, so everything else in the file is there.
    """

    def __init__(self, path: str, lineno: int, reason: str, config: Config) -> None:
        super().__init__(f"{path}:{lineno}: {reason}")
        self.path = path
        self.lineno = lineno
        self.reason = reason
        self.config = config


class Parser:
    """A loaded libpexilon_config_parser."""

    def __init__(self, library: Optional[PathArg] = None) -> None:
        self._dll, self.path = cached_library(library, PARSER_ENV, PARSER_SONAME)
        self._parse = self._dll.pexilon_parse_config
        self._parse.argtypes = [ctypes.c_char_p, ctypes.POINTER(CParsedConfig)]
        self._parse.restype = ctypes.c_int
        # The library allocates with the process's malloc, so release with the
        # process's free: the global symbol, as the library itself binds it.
        libc = ctypes.CDLL(None)
        self._free = libc.free
        self._free.argtypes = [ctypes.c_void_p]
        self._free.restype = None
        self._malloc = libc.malloc
        self._malloc.argtypes = [ctypes.c_size_t]
        self._malloc.restype = ctypes.c_void_p

    def record_of(self, config: Optional[Config]) -> CParsedConfig:
        """A record to parse into: zeroed, or holding ``config`` as the
        library would have left it; the caller passes it to release()."""
        record = CParsedConfig()  # ctypes zero-fills it
        if config is not None:
            try:
                fill_record(record, config, lambda size: int(self._malloc(size) or 0))
            except BaseException:
                self.release(record)
                raise
        return record

    def parse(self, path: bytes, base: Optional[Config] = None) -> Tuple[int, CParsedConfig]:
        """Runs the library over ``path`` into a zeroed record, or one that
        holds ``base``; returns its result and the record, which the caller
        passes to release()."""
        record = self.record_of(base)
        ctypes.set_errno(0)
        result = self._parse(path, ctypes.byref(record))
        if result < 0:
            err = ctypes.get_errno()
            self.release(record)
            raise OSError(err or errno.EIO, os.strerror(err or errno.EIO), os.fsdecode(path))
        return result, record

    def release(self, record: CParsedConfig) -> None:
        for i in range(record.control_count if record.controls else 0):
            self._free(record.controls[i].code)
        self._free(ctypes.cast(record.controls, ctypes.c_void_p))
        self._free(ctypes.cast(record.params, ctypes.c_void_p))
        ctypes.memset(ctypes.byref(record), 0, ctypes.sizeof(record))


def editor_line(data: bytes, reader_line: int) -> int:
    """The editor line that holds the reader's line ``reader_line``: a line
    of n bytes, newline included, is read as ceil(n / 199) pieces."""
    pieces = 0
    lines = data.split(b"\n")
    for number, line in enumerate(lines, start=1):
        size = len(line) + (number < len(lines))
        pieces += -(-size // _PIECE)
        if pieces >= reader_line:
            return number
    return reader_line


def _describe_fault(result: int, data: bytes,
                    check_library: Optional[PathArg]) -> Tuple[int, str]:
    """The editor line and the reason of the library's faulty line ``result``:
    the checker's error at that line when the check library is at hand, else
    the line counted from the text and a plain reason."""
    try:
        found = first_error(Checker(check_library).check_text(data), result)
        if found is not None:
            return found
    except (OSError, AttributeError):
        pass  # no check library: say less
    return editor_line(data, result), "faulty line"


def _source_lines(data: bytes, check_library: Optional[PathArg],
                  base: Optional[Config]) -> Tuple[List[Optional[int]], List[Optional[int]]]:
    """The editor line of each entry and control of the record: ``base``'s
    own, then those ``data`` adds, from the check library when it is at hand
    (else None for each)."""
    entries: List[Optional[int]] = list(base.entry_lines) if base is not None else []
    controls: List[Optional[int]] = list(base.control_lines) if base is not None else []
    try:
        new_entries, new_controls = Checker(check_library).source_lines(data)
    except (OSError, AttributeError, MemoryError):
        return entries, controls  # no check library, or one before 1.3: no lines
    entries += new_entries
    controls += new_controls
    return entries, controls


def _load(parser: Parser, path: bytes, name: str, data: bytes,
          check_library: Optional[PathArg], base: Optional[Config] = None) -> Config:
    result, record = parser.parse(path, base)
    try:
        lines: Tuple[Sequence[Optional[int]], ...] = _source_lines(data, check_library, base)
        if result == 0:
            return to_config(record, name, 0, None, *lines)
        lineno, reason = _describe_fault(result, data, check_library)
        config = to_config(record, name, result, reason, *lines)
    finally:
        parser.release(record)
    raise ParseError(name, lineno, reason, config)


def load(path: PathArg | bytes, *, library: Optional[PathArg] = None,
         check_library: Optional[PathArg] = None) -> Config:
    """Reads the configuration file at ``path``.

    Raises ParseError when a line is faulty, and OSError (FileNotFoundError,
    IsADirectoryError, PermissionError, ...) when the file cannot be read.
    ``library`` and ``check_library`` name the shared libraries to use.
    The file is read once: the library parses, and the checker explains a
    faulty line from, the same bytes, so that a pipe or a FIFO works and a
    file changed meanwhile cannot give a reason for another text.
    """
    return _load_file(path, library, check_library, None)


def append_file(config: Config, path: PathArg | bytes, *, library: Optional[PathArg] = None,
                check_library: Optional[PathArg] = None) -> Config:
    """Config.append: ``config`` with the file at ``path`` read into it."""
    return _load_file(path, library, check_library, config)


def _load_file(path: PathArg | bytes, library: Optional[PathArg],
               check_library: Optional[PathArg], base: Optional[Config]) -> Config:
    raw = os.fsencode(path)
    if b"\0" in raw:  # C would read a shorter name: refuse it as open() does
        raise ValueError("embedded null byte")
    parser = Parser(library)
    name = os.fsdecode(raw)
    with open(name, "rb") as f:
        data = f.read()
    return _load_bytes(parser, data, name, check_library, base)


def loads(text: Union[str, bytes], *, name: str = "<string>", library: Optional[PathArg] = None,
          check_library: Optional[PathArg] = None) -> Config:
    """Reads a configuration from ``text`` (str is encoded as UTF-8).

    ``name`` stands for the file in errors and in Config.path.
    """
    data = text.encode("utf-8", "surrogateescape") if isinstance(text, str) else bytes(text)
    return _load_bytes(Parser(library), data, name, check_library)


def _load_bytes(parser: Parser, data: bytes, name: str, check_library: Optional[PathArg],
                base: Optional[Config] = None) -> Config:
    """Parses ``data`` through a memory file: nothing is written to disk."""
    fd = os.memfd_create("pexilon-config", os.MFD_CLOEXEC)
    try:
        view = memoryview(data)
        while view:
            view = view[os.write(fd, view):]
        return _load(parser, f"/proc/self/fd/{fd}".encode(), name, data, check_library, base)
    finally:
        os.close(fd)
