"""Binding of pexilon_check_format: a text in the layout of `pexilon-config fmt`."""

from __future__ import annotations

import ctypes
from typing import Optional, Union

from ._library import CHECK_ENV, CHECK_SONAME, PathArg, cached_library

_HEX_CASES = {"upper": 0, "lower": 1, "keep": 2}


class FormatError(ValueError):
    """The formatter refused the text: laying it out would change its record,
    its parse result or the line of a fault. ``reason`` says how, ``lineno``
    is the editor line concerned (0 when none)."""

    def __init__(self, reason: str, lineno: int) -> None:
        super().__init__(f"line {lineno}: {reason}" if lineno else reason)
        self.reason = reason
        self.lineno = lineno


class _COptions(ctypes.Structure):
    _fields_ = [("align", ctypes.c_int), ("hex_case", ctypes.c_int)]


class _CFormatted(ctypes.Structure):
    _fields_ = [
        ("text", ctypes.c_void_p),
        ("size", ctypes.c_size_t),
        ("reason", ctypes.c_void_p),
        ("line", ctypes.c_size_t),
    ]


_libc = ctypes.CDLL(None)
_libc.free.argtypes = [ctypes.c_void_p]
_libc.free.restype = None


def format_text(text: Union[str, bytes], *, align: bool = False, hex_case: str = "upper",
                library: Optional[PathArg] = None) -> Union[str, bytes]:
    if hex_case not in _HEX_CASES:
        raise ValueError(f"hex_case must be one of {', '.join(_HEX_CASES)}, not {hex_case!r}")
    raw = text.encode("utf-8", "surrogateescape") if isinstance(text, str) else bytes(text)
    dll, _ = cached_library(library, CHECK_ENV, CHECK_SONAME)
    fn = dll.pexilon_check_format
    fn.argtypes = [ctypes.c_char_p, ctypes.c_size_t, ctypes.POINTER(_COptions),
                   ctypes.POINTER(_CFormatted)]
    fn.restype = ctypes.c_int
    options = _COptions(1 if align else 0, _HEX_CASES[hex_case])
    out = _CFormatted()
    status = fn(raw, len(raw), ctypes.byref(options), ctypes.byref(out))
    try:
        if status < 0:
            raise MemoryError("pexilon_check_format ran out of memory")
        if status > 0:
            reason = ctypes.string_at(out.reason).decode("utf-8", "surrogateescape")
            raise FormatError(reason, out.line)
        result = ctypes.string_at(out.text, out.size)
    finally:
        _libc.free(out.text)
        _libc.free(out.reason)
    return result.decode("utf-8", "surrogateescape") if isinstance(text, str) else result
