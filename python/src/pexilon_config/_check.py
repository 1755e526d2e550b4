"""Binding of libpexilon_config_check: every diagnostic of a file or a text."""

from __future__ import annotations

import ctypes
import os
from typing import Any, List, Optional, Tuple

from ._library import CHECK_ENV, CHECK_SONAME, PathArg, cached_library
from ._model import Diagnostic, Fix, Note, Severity


class _CNote(ctypes.Structure):
    _fields_ = [
        ("line", ctypes.c_size_t),
        ("column", ctypes.c_size_t),
        ("end_column", ctypes.c_size_t),
        ("message", ctypes.c_char_p),
    ]


class _CFix(ctypes.Structure):
    _fields_ = [
        ("line", ctypes.c_size_t),
        ("column", ctypes.c_size_t),
        ("end_column", ctypes.c_size_t),
        ("replacement", ctypes.c_char_p),
        ("change", ctypes.c_char_p),
    ]


class _CSpan(ctypes.Structure):
    _fields_ = [
        ("column", ctypes.c_size_t),
        ("end_column", ctypes.c_size_t),
    ]


class _CDiagnostic(ctypes.Structure):
    _fields_ = [
        ("severity", ctypes.c_int),
        ("name", ctypes.c_char_p),
        ("message", ctypes.c_char_p),
        ("hint", ctypes.c_char_p),
        ("line", ctypes.c_size_t),
        ("column", ctypes.c_size_t),
        ("end_column", ctypes.c_size_t),
        ("reader_line", ctypes.c_size_t),
        ("source", ctypes.c_void_p),
        ("source_length", ctypes.c_size_t),
        ("notes", ctypes.POINTER(_CNote)),
        ("note_count", ctypes.c_size_t),
        ("fixes", ctypes.POINTER(_CFix)),
        ("fix_count", ctypes.c_size_t),
        ("display", _CSpan),
        ("note_display", ctypes.POINTER(_CSpan)),
    ]


class _CSummary(ctypes.Structure):
    _fields_ = [
        ("parse_result", ctypes.c_int),
        ("errors", ctypes.c_size_t),
        ("warnings", ctypes.c_size_t),
        ("os_error", ctypes.c_int),
    ]


class _CLines(ctypes.Structure):
    _fields_ = [
        ("entry_lines", ctypes.POINTER(ctypes.c_size_t)),
        ("entry_count", ctypes.c_size_t),
        ("control_lines", ctypes.POINTER(ctypes.c_size_t)),
        ("control_count", ctypes.c_size_t),
        ("parse_result", ctypes.c_int),
        ("os_error", ctypes.c_int),
    ]


# The editor line of each entry and of each control, as pexilon_check_lines_text
# gives them.
SourceLines = Tuple[Tuple[int, ...], Tuple[int, ...]]

_CALLBACK = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.POINTER(_CDiagnostic))
_SEVERITIES = {0: Severity.ERROR, 1: Severity.WARNING, 2: Severity.NOTE}

# The library allocates with the process's malloc: released with its free.
_free = ctypes.CDLL(None).free
_free.argtypes = [ctypes.c_void_p]
_free.restype = None


def _text(raw: Optional[bytes]) -> str:
    return (raw or b"").decode("utf-8", "surrogateescape")


def _convert(d: Any) -> Diagnostic:
    notes = tuple(Note(n.line, n.column, n.end_column, _text(n.message),
                       d.note_display[i].column, d.note_display[i].end_column)
                  for i, n in ((i, d.notes[i]) for i in range(d.note_count)))
    fixes = tuple(Fix(f.line, f.column, f.end_column, _text(f.replacement), _text(f.change))
                  for f in (d.fixes[i] for i in range(d.fix_count)))
    return Diagnostic(
        lineno=d.line, column=d.column, end_column=d.end_column,
        severity=_SEVERITIES.get(d.severity, Severity.ERROR), name=_text(d.name),
        message=_text(d.message), notes=notes,
        hint=None if d.hint is None else _text(d.hint), reader_line=d.reader_line, fixes=fixes,
        display_column=d.display.column, display_end_column=d.display.end_column)


class Checker:
    """A loaded libpexilon_config_check."""

    def __init__(self, library: Optional[PathArg] = None) -> None:
        self._dll, self.path = cached_library(library, CHECK_ENV, CHECK_SONAME)
        self._path_fn = self._dll.pexilon_check_path
        self._path_fn.argtypes = [ctypes.c_char_p, _CALLBACK, ctypes.c_void_p,
                                  ctypes.POINTER(_CSummary)]
        self._path_fn.restype = ctypes.c_int
        self._text_fn = self._dll.pexilon_check_text
        self._text_fn.argtypes = [ctypes.c_char_p, ctypes.c_size_t, _CALLBACK, ctypes.c_void_p,
                                  ctypes.POINTER(_CSummary)]
        self._text_fn.restype = ctypes.c_int

    def source_lines(self, text: bytes) -> SourceLines:
        """The editor line that made each entry and each control of the
        record ``text`` gives. Raises AttributeError for a check library
        older than 1.3, which has no such function, and MemoryError when it
        ran out of memory."""
        lines_fn = self._dll.pexilon_check_lines_text
        lines_fn.argtypes = [ctypes.c_char_p, ctypes.c_size_t, ctypes.POINTER(_CLines)]
        lines_fn.restype = ctypes.c_int
        raw = _CLines()
        if lines_fn(text, len(text), ctypes.byref(raw)) != 0:
            raise MemoryError("the check library ran out of memory for the lines")
        try:
            return (tuple(raw.entry_lines[:raw.entry_count]) if raw.entry_count else (),
                    tuple(raw.control_lines[:raw.control_count]) if raw.control_count else ())
        finally:
            _free(ctypes.cast(raw.entry_lines, ctypes.c_void_p))
            _free(ctypes.cast(raw.control_lines, ctypes.c_void_p))

    def check_path(self, path: PathArg | bytes) -> List[Diagnostic]:
        return self.run_path(path)[0]

    def check_text(self, text: bytes) -> List[Diagnostic]:
        return self.run_text(text)[0]

    def run_path(self, path: PathArg | bytes) -> Tuple[List[Diagnostic], int]:
        """The diagnostics, and the errno of a read error that stopped the
        reading part way (0 when the whole input was read)."""
        raw = os.fsencode(path)
        if b"\0" in raw:  # C would check a shorter name: refuse it as open() does
            raise ValueError("embedded null byte")
        return self._run(lambda cb, s: self._path_fn(raw, cb, None, s), os.fsdecode(raw))

    def run_text(self, text: bytes) -> Tuple[List[Diagnostic], int]:
        return self._run(lambda cb, s: self._text_fn(text, len(text), cb, None, s), None)

    @staticmethod
    def _run(call: Any, filename: Optional[str]) -> Tuple[List[Diagnostic], int]:
        found: List[Diagnostic] = []
        failure: List[BaseException] = []

        def receive(_user: Any, diagnostic: Any) -> int:
            # An exception must not unwind through C: keep it, stop the check,
            # raise it once the library has returned.
            try:
                found.append(_convert(diagnostic.contents))
                return 0
            except BaseException as err:  # noqa: B902 - re-raised below
                failure.append(err)
                return 1

        summary = _CSummary()
        result = call(_CALLBACK(receive), ctypes.byref(summary))
        if failure:
            raise failure[0]
        if result < 0:
            err = summary.os_error
            raise OSError(err, os.strerror(err) if err else "cannot read the input", filename)
        return found, summary.os_error


def first_error(diagnostics: List[Diagnostic], reader_line: int) -> Tuple[int, str] | None:
    """The editor line and message of the error at the library's line."""
    for d in diagnostics:
        if d.severity is Severity.ERROR and d.reader_line == reader_line:
            return d.lineno, d.message
    return None
