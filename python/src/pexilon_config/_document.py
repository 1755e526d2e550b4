"""Document: a configuration file edited one value or line at a time, every
other byte kept, through libpexilon_config_check; dumps() and dump(): a
record written as a new file."""

from __future__ import annotations

import ctypes
import os
import weakref
from dataclasses import fields
from typing import List, Optional, Sequence, Union

from ._edit_api import EditError, EditLibrary, c_string, edit_library
from ._editors import CameraEditor, ControlList, EntryList, Value
from ._library import PathArg
from ._model import Config
from ._record import CControlEntry, CParamEntry, CParsedConfig, to_config


def _value_bytes(value: Value) -> bytes:
    """A value as a command line writes it."""
    if isinstance(value, bool):
        raise TypeError("a field holds a number or a text, not a bool")
    if isinstance(value, int):
        return str(value).encode()
    if isinstance(value, str):
        return value.encode("utf-8", "surrogateescape")
    return ", ".join(str(int(v)) for v in value).encode()


def _path_bytes(path: PathArg) -> bytes:
    """A path as the C library takes it; a NUL byte would end it early."""
    raw = os.fsencode(path)
    if b"\0" in raw:
        raise ValueError("embedded null byte")
    return raw


class Document:
    """A configuration text being edited.

        doc = pexilon_config.Document.load("board.conf")
        doc.camera.width = 1920
        doc.controls["Exposure"].max_value = 1550
        doc.params.insert(3, "REG=0x12,0x0100,0x01")
        del doc.params[5]
        doc.save()                       # over board.conf, atomically

    Reads (``doc.camera.width``, ``doc.config``) give the record the text
    gives now. Each edit changes the bytes of its value, or whole lines, and
    keeps every other byte; its result is read again and must be the old
    record with exactly the change, or the edit raises EditError with the
    reason and the document stays as it was. Parts taken before an edit
    that adds or removes a control or an entry name it by its old index.
    """

    def __init__(self, text: Union[str, bytes] = "", *, path: Optional[PathArg] = None,
                 library: Optional[PathArg] = None) -> None:
        data = text.encode("utf-8", "surrogateescape") if isinstance(text, str) else bytes(text)
        lib = edit_library(library)
        self._adopt(lib, lib.load(data), path)

    def _adopt(self, lib: EditLibrary, handle: int, path: Optional[PathArg]) -> None:
        self._lib = lib
        self._handle = handle
        self._finalizer = weakref.finalize(self, lib.free, handle)
        self._config: Optional[Config] = None
        self.path: Optional[str] = None if path is None else os.fspath(path)

    @classmethod
    def load(cls, path: PathArg, *, library: Optional[PathArg] = None) -> Document:
        """The file at ``path``, read whole; save() writes back to it, and
        refuses to when another program has changed the file since.
        Raises OSError when it cannot be read."""
        lib = edit_library(library)
        doc = cls.__new__(cls)
        doc._adopt(lib, lib.load_file(_path_bytes(path)), path)
        return doc

    @classmethod
    def loads(cls, text: Union[str, bytes], *, library: Optional[PathArg] = None) -> Document:
        """A document of ``text`` (str is taken as UTF-8)."""
        return cls(text, library=library)

    @property
    def data(self) -> bytes:
        """The text, byte for byte."""
        return self._lib.text(self._handle)

    @property
    def text(self) -> str:
        """The text (bytes that are not UTF-8 as surrogate escapes)."""
        return self.data.decode("utf-8", "surrogateescape")

    @property
    def config(self) -> Config:
        """The record the text gives, as loads() would read it."""
        if self._config is None:
            record, result = self._lib.record(self._handle)
            self._config = to_config(record, self.path or "<string>", result,
                                     "faulty line" if result else None)
        return self._config

    def counts(self) -> tuple[int, int]:
        """The numbers of entries and controls, read without a Config."""
        record, _ = self._lib.record(self._handle)
        return int(record.param_count), int(record.control_count)

    @property
    def camera(self) -> CameraEditor:
        return CameraEditor(self, "camera")

    @property
    def params(self) -> EntryList:
        return EntryList(self)

    @property
    def controls(self) -> ControlList:
        return ControlList(self)

    def _edit(self, name: str, *args: object) -> None:
        self._lib.edit(name, self._handle, *args)
        self._config = None

    def set(self, path: str, value: Value) -> None:
        """Sets the field ``path`` names ("camera.width",
        "controls[Exposure].max_value", "entries[3].values", "controls[0].code")."""
        raw = _value_bytes(value)
        self._edit("pexilon_check_document_set", c_string(path, "a path"), raw, len(raw))

    def insert(self, index: int, entry: str) -> None:
        """The entry "KEY=NUMBERS" as the new entries[index]."""
        self._edit("pexilon_check_document_insert", index, c_string(entry, "an entry"))

    def insert_after(self, after: int, entry: str) -> None:
        self._edit("pexilon_check_document_insert_after", after, c_string(entry, "an entry"))

    def insert_in_section(self, section: str, entry: str) -> None:
        self._edit("pexilon_check_document_insert_in_section", c_string(section, "a section"),
                   c_string(entry, "an entry"))

    def add_control(self, name: str) -> None:
        self._edit("pexilon_check_document_add_control", c_string(name, "CTRL_NAME"))

    def remove(self, item: str) -> None:
        """Removes "entries[N]", "controls[N]" or "controls[CTRL_NAME]"."""
        self._edit("pexilon_check_document_remove", c_string(item, "an item"))

    def save(self, path: Optional[PathArg] = None) -> None:
        """Writes the text over ``path`` (the file it was loaded from by
        default) atomically, keeping the file's owner, mode and extended
        attributes. Raises OSError when that fails, EditError when the file
        may not be replaced (not a regular file, several hard links) and
        when it is the file load() read and another program has written to
        it, replaced or removed it since: the file is then left as that
        program made it. After a save over it the document remembers what
        it wrote, and the next save is checked against that. Documents of
        loads() are not checked, nor saves to another file."""
        target = path if path is not None else self.path
        if target is None:
            raise ValueError("no path: the document was not loaded from a file")
        self._lib.save(self._handle, _path_bytes(target))

    def __repr__(self) -> str:
        return f"<Document {self.path or '<string>'}: {len(self.data)} bytes>"


def _check_range(value: int, c_type: object, where: str) -> int:
    size = ctypes.sizeof(c_type)  # type: ignore[arg-type]
    signed = c_type in (ctypes.c_int32, ctypes.c_int64)
    low, high = (-(1 << (8 * size - 1)), (1 << (8 * size - 1)) - 1) if signed else (
        0, (1 << (8 * size)) - 1)
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
        raise EditError(f"{where} holds {low} to {high}, not {value!r}")
    return value


def _fill(target: ctypes.Structure, source: object, names: Sequence[str], where: str) -> None:
    """Copies fields of a record of _model into its C structure, refusing
    what the C field would cut."""
    for name, c_name in zip(names, (f[0] for f in target._fields_)):
        value = getattr(source, name)
        c_type = dict(target._fields_)[c_name]
        if isinstance(value, str):
            raw = value.encode("utf-8", "surrogateescape")
            if len(raw) > ctypes.sizeof(c_type):
                raise EditError(f"{where}.{name} holds at most {ctypes.sizeof(c_type)} bytes, "
                                f"not {len(raw)}")
            setattr(target, c_name, raw)
        else:
            setattr(target, c_name, _check_range(value, c_type, f"{where}.{name}"))


_CONTROL_FIELDS = ("min_value", "max_value", "step", "default", "reserved", "ctrl_name",
                   "func_name")


def _c_record(config: Config, keep: List[object]) -> CParsedConfig:
    """``config`` as the C record; ``keep`` holds what it points to."""
    record = CParsedConfig()
    _fill(record.camera, config.camera, [f.name for f in fields(config.camera)], "camera")
    params = (CParamEntry * max(len(config.params), 1))()
    for i, entry in enumerate(config.params):
        if len(entry.values) > 16:
            raise EditError(f"entries[{i}] holds {len(entry.values)} values, more than 16")
        params[i].type = _check_range(entry.type, ctypes.c_uint32, f"entries[{i}].type")
        for v, value in enumerate(entry.values):
            params[i].values[v] = _check_range(value, ctypes.c_uint32, f"entries[{i}].values")
        params[i].value_count = len(entry.values)
    controls = (CControlEntry * max(len(config.controls), 1))()
    for i, control in enumerate(config.controls):
        _fill(controls[i], control, _CONTROL_FIELDS, f"controls[{i}]")
        if control.code is not None:
            code = control.code.encode("utf-8", "surrogateescape")
            if b"\0" in code:
                raise EditError(f"controls[{i}].code cannot hold a NUL byte")
            buffer = ctypes.create_string_buffer(code)
            keep.append(buffer)
            controls[i].code = ctypes.cast(buffer, ctypes.c_void_p)
    keep += [params, controls]
    record.params = ctypes.cast(params, ctypes.POINTER(CParamEntry))
    record.param_count = len(config.params)
    record.controls = ctypes.cast(controls, ctypes.POINTER(CControlEntry))
    record.control_count = len(config.controls)
    return record


def dumps(config: Config, *, library: Optional[PathArg] = None) -> str:
    """A new file for ``config`` in the layout of ``pexilon-config fmt``,
    read again and compared with it field by field before it is returned.
    Raises EditError for a record no file can express (a field out of its
    range, a type no section and key give, a text with blanks at an end,
    a code text whose last line has no line end, ...)."""
    keep: List[object] = []
    record = _c_record(config, keep)
    return edit_library(library).write_record(record).decode("utf-8", "surrogateescape")


def dump(config: Config, path: PathArg, *, library: Optional[PathArg] = None) -> None:
    """dumps() written to ``path`` atomically, as Document.save writes."""
    Document(dumps(config, library=library), library=library).save(path)
