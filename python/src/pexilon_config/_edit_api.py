"""Binding of the editing functions of libpexilon_config_check: a document
handle, its edits and save, and the record writer."""

from __future__ import annotations

import ctypes
import os
from typing import Any, Callable, Optional, Tuple

from ._library import CHECK_ENV, CHECK_SONAME, PathArg, cached_library
from ._record import CParsedConfig


class EditError(ValueError):
    """The library refused an edit, or a record no file can express:
    nothing was changed. ``reason`` says why, in the library's words."""

    def __init__(self, reason: str) -> None:
        super().__init__(reason)
        self.reason = reason


_libc = ctypes.CDLL(None)
_libc.free.argtypes = [ctypes.c_void_p]
_libc.free.restype = None

_DOC = ctypes.c_void_p
_MESSAGE = ctypes.POINTER(ctypes.c_void_p)
_SIGNATURES = {
    "pexilon_check_document_load": ([ctypes.c_char_p, ctypes.c_size_t], _DOC),
    "pexilon_check_document_load_file": ([ctypes.c_char_p], _DOC),
    "pexilon_check_document_free": ([_DOC], None),
    "pexilon_check_document_text": ([_DOC, ctypes.POINTER(ctypes.c_size_t)], ctypes.c_void_p),
    "pexilon_check_document_record": ([_DOC], ctypes.POINTER(CParsedConfig)),
    "pexilon_check_document_parse_result": ([_DOC], ctypes.c_int),
    "pexilon_check_document_set": (
        [_DOC, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_size_t, _MESSAGE], ctypes.c_int),
    "pexilon_check_document_insert": (
        [_DOC, ctypes.c_size_t, ctypes.c_char_p, _MESSAGE], ctypes.c_int),
    "pexilon_check_document_insert_after": (
        [_DOC, ctypes.c_size_t, ctypes.c_char_p, _MESSAGE], ctypes.c_int),
    "pexilon_check_document_insert_in_section": (
        [_DOC, ctypes.c_char_p, ctypes.c_char_p, _MESSAGE], ctypes.c_int),
    "pexilon_check_document_add_control": ([_DOC, ctypes.c_char_p, _MESSAGE], ctypes.c_int),
    "pexilon_check_document_remove": ([_DOC, ctypes.c_char_p, _MESSAGE], ctypes.c_int),
    "pexilon_check_document_save": ([_DOC, ctypes.c_char_p, _MESSAGE], ctypes.c_int),
    "pexilon_check_write_record": (
        [ctypes.POINTER(CParsedConfig), ctypes.POINTER(ctypes.c_void_p),
         ctypes.POINTER(ctypes.c_size_t), _MESSAGE], ctypes.c_int),
}


def c_string(text: str, what: str) -> bytes:
    """``text`` as the C string an argument takes; a NUL byte would end it
    early, so it is refused rather than cut."""
    raw = text.encode("utf-8", "surrogateescape")
    if b"\0" in raw:
        raise EditError(f"{what} cannot hold a NUL byte: the library would read it cut there")
    return raw


class EditLibrary:
    """The editing functions of a loaded check library."""

    def __init__(self, library: Optional[PathArg] = None) -> None:
        dll, self.path = cached_library(library, CHECK_ENV, CHECK_SONAME)
        self.fn: dict[str, Any] = {}
        for name, (argtypes, restype) in _SIGNATURES.items():
            fn = getattr(dll, name)
            fn.argtypes = argtypes
            fn.restype = restype
            self.fn[name] = fn

    def load(self, data: bytes) -> int:
        handle: Optional[int] = self.fn["pexilon_check_document_load"](data, len(data))
        if not handle:
            raise MemoryError("pexilon_check_document_load ran out of memory")
        return handle

    def load_file(self, path: bytes) -> int:
        """A document of the file at ``path``, which remembers what it read;
        raises OSError (FileNotFoundError, ...) when it cannot be read."""
        ctypes.set_errno(0)
        handle: Optional[int] = self.fn["pexilon_check_document_load_file"](path)
        if not handle:
            err = ctypes.get_errno()
            if err in (0, 12):
                raise MemoryError("pexilon_check_document_load_file ran out of memory")
            raise OSError(err, os.strerror(err), os.fsdecode(path))
        return handle

    def free(self, handle: int) -> None:
        self.fn["pexilon_check_document_free"](handle)

    def text(self, handle: int) -> bytes:
        size = ctypes.c_size_t()
        at = self.fn["pexilon_check_document_text"](handle, ctypes.byref(size))
        return ctypes.string_at(at, size.value) if at else b""

    def record(self, handle: int) -> Tuple[CParsedConfig, int]:
        """The document's record (its own memory: copy before the next edit)
        and the parse result."""
        record: CParsedConfig = self.fn["pexilon_check_document_record"](handle).contents
        result: int = self.fn["pexilon_check_document_parse_result"](handle)
        return record, result

    def edit(self, name: str, handle: int, *args: Any) -> None:
        """Calls the editing function ``name``; raises EditError on a refusal."""
        self.call(lambda message: self.fn[name](handle, *args, message))

    def save(self, handle: int, path: bytes) -> None:
        def refused(reason: str) -> None:
            err = ctypes.get_errno()
            if err:
                raise OSError(err, reason, os.fsdecode(path))
            raise EditError(reason)
        self.call(lambda message: self.fn["pexilon_check_document_save"](handle, path, message),
                  refused)

    def write_record(self, record: CParsedConfig) -> bytes:
        text = ctypes.c_void_p()
        size = ctypes.c_size_t()
        self.call(lambda message: self.fn["pexilon_check_write_record"](
            ctypes.byref(record), ctypes.byref(text), ctypes.byref(size), message))
        try:
            return ctypes.string_at(text.value, size.value) if text.value else b""
        finally:
            _libc.free(text)

    @staticmethod
    def call(run: Callable[[Any], Any],
             refused: Optional[Callable[[str], None]] = None) -> None:
        """Runs a function that ends in ``char **message``: 0 is done, 1 a
        refusal with the reason, -1 a fault (memory, a NULL argument)."""
        message = ctypes.c_void_p()
        ctypes.set_errno(0)
        status = int(run(ctypes.byref(message)))
        try:
            reason = (ctypes.string_at(message.value).decode("utf-8", "surrogateescape")
                      if message.value else "")
        finally:
            _libc.free(message)
        if status == 0:
            return
        if status > 0:
            (refused or _raise_edit_error)(reason)
            raise EditError(reason)
        err = ctypes.get_errno()
        raise MemoryError(reason or "out of memory") if err in (0, 12) else OSError(
            err, os.strerror(err))


def _raise_edit_error(reason: str) -> None:
    raise EditError(reason)


_libraries: dict[Optional[str], EditLibrary] = {}


def edit_library(library: Optional[PathArg]) -> EditLibrary:
    """The editing functions of the check library ``library`` names (found
    as cached_library finds it), bound once."""
    key = os.fspath(library) if library is not None else os.environ.get(CHECK_ENV)
    if key not in _libraries:
        _libraries[key] = EditLibrary(library)
    return _libraries[key]
