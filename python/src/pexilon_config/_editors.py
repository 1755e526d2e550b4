"""The parts of a Document as they are read and edited: the camera settings,
a control and an entry, named by attribute as in Config, and the lists of
controls and entries. Each read gives the record as it is now; each
assignment is an edit of the document."""

from __future__ import annotations

from typing import (TYPE_CHECKING, Any, Generic, Iterator, Optional, Sequence, Tuple, TypeVar,
                    Union, overload)

from ._edit_api import EditError
from ._model import CameraSettings, Control, Key, ParamEntry

if TYPE_CHECKING:
    from ._document import Document

G = TypeVar("G")
S = TypeVar("S")

# What a set takes: a number, a text, or an entry's numbers.
Value = Union[int, str, Sequence[int]]


class _Part:
    """A part of the record, named by its path's prefix."""

    __slots__ = ("_doc", "_prefix")
    _doc: Document
    _prefix: str

    def __init__(self, doc: Document, prefix: str) -> None:
        object.__setattr__(self, "_doc", doc)
        object.__setattr__(self, "_prefix", prefix)

    def _current(self) -> Any:
        raise NotImplementedError

    def __setattr__(self, name: str, value: object) -> None:
        # Fields are descriptors, which make the edit; any other name is a
        # misspelt field, not a new attribute.
        if not isinstance(getattr(type(self), name, None), _Field):
            raise AttributeError(f"{type(self).__name__} has no field {name!r}")
        object.__setattr__(self, name, value)


class _Field(Generic[G, S]):
    """A field read from the record and set by an edit of its path."""

    def __set_name__(self, owner: type, name: str) -> None:
        self._name = name

    @overload
    def __get__(self, part: None, owner: type) -> _Field[G, S]: ...

    @overload
    def __get__(self, part: _Part, owner: type) -> G: ...

    def __get__(self, part: Optional[_Part], owner: type) -> Union[_Field[G, S], G]:
        if part is None:
            return self
        value: G = getattr(part._current(), self._name)
        return value

    def __set__(self, part: _Part, value: S) -> None:
        part._doc.set(f"{part._prefix}.{self._name}", value)  # type: ignore[arg-type]


class CameraEditor(_Part):
    """doc.camera: the fields of CameraSettings, each settable."""

    __slots__ = ()
    cfg_mode: _Field[int, int] = _Field()
    type: _Field[str, str] = _Field()
    width: _Field[int, int] = _Field()
    height: _Field[int, int] = _Field()
    bit_width: _Field[int, int] = _Field()
    format: _Field[int, int] = _Field()
    i2c_mode: _Field[int, int] = _Field()
    i2c_addr: _Field[int, int] = _Field()
    trans_lvl: _Field[int, int] = _Field()

    def _current(self) -> CameraSettings:
        camera: CameraSettings = self._doc.config.camera
        return camera

    def __repr__(self) -> str:
        return repr(self._current())


class ControlEditor(_Part):
    """doc.controls[i] or doc.controls["Exposure"]: the fields of Control."""

    __slots__ = ("_index",)
    _index: int
    min_value: _Field[int, int] = _Field()
    max_value: _Field[int, int] = _Field()
    step: _Field[int, int] = _Field()
    default: _Field[int, int] = _Field()
    reserved: _Field[int, int] = _Field()
    ctrl_name: _Field[str, str] = _Field()
    func_name: _Field[str, str] = _Field()
    code: _Field[Optional[str], str] = _Field()

    def __init__(self, doc: Document, index: int) -> None:
        super().__init__(doc, f"controls[{index}]")
        object.__setattr__(self, "_index", index)

    def _current(self) -> Control:
        return self._doc.config.controls[self._index]

    def __repr__(self) -> str:
        return repr(self._current())


class EntryEditor(_Part):
    """doc.params[i]: an entry, whose values may be set."""

    __slots__ = ("_index",)
    _index: int
    values: _Field[Tuple[int, ...], Union[Sequence[int], str]] = _Field()

    def __init__(self, doc: Document, index: int) -> None:
        super().__init__(doc, f"entries[{index}]")
        object.__setattr__(self, "_index", index)

    def _current(self) -> ParamEntry:
        return self._doc.config.params[self._index]

    @property
    def entry(self) -> ParamEntry:
        """The entry as Config has it (kind, variant, key, section)."""
        return self._current()

    def __repr__(self) -> str:
        return repr(self._current())


def _index(at: int, count: int, what: str, end_allowed: bool = False) -> int:
    """A list index as Python takes one (negative from the end)."""
    index = at + count if at < 0 else at
    if index < 0 or index > count or (index == count and not end_allowed):
        raise IndexError(f"{what} index out of range")
    return index


def entry_text(entry: Union[str, ParamEntry]) -> str:
    """An entry as the library takes it: "REG=0x12,0x0100,0x01"."""
    if isinstance(entry, str):
        return entry
    if entry.key.name not in Key.__members__:
        raise EditError(f"no key of a file has the code {int(entry.key):#x}")
    # A delay is a time, the other keys' numbers addresses and bytes.
    shown = (str(v) if entry.key is Key.DELAY else f"0x{v:X}" for v in entry.values)
    return f"{entry.key.name}=" + ",".join(shown)


class EntryList:
    """doc.params: the entries, in file order."""

    def __init__(self, doc: Document) -> None:
        self._doc = doc

    def __len__(self) -> int:
        return self._doc.counts()[0]

    def __getitem__(self, at: int) -> EntryEditor:
        return EntryEditor(self._doc, _index(at, len(self), "entry"))

    def __iter__(self) -> Iterator[EntryEditor]:
        return (EntryEditor(self._doc, i) for i in range(len(self)))

    def __delitem__(self, at: int) -> None:
        self._doc.remove(f"entries[{_index(at, len(self), 'entry')}]")

    def insert(self, at: int, entry: Union[str, ParamEntry]) -> None:
        """``entry`` as the new params[at]: its line before that of
        params[at], in its section, or after the last entry for at ==
        len(params). A ParamEntry must belong to that section."""
        count = len(self)
        index = min(_index(at, count, "entry", True), count)
        if isinstance(entry, ParamEntry) and count:
            beside = self._doc.config.params[min(index, count - 1)]
            if beside.type >> 16 != entry.type >> 16:
                raise EditError(f"params[{index}] would be in the section {beside.section!r}, "
                                f"not {entry.section!r}")
        self._doc.insert(index, entry_text(entry))

    def append(self, entry: Union[str, ParamEntry], section: Optional[str] = None) -> None:
        """``entry`` at the end of the last section ``section`` (a
        ParamEntry's own section by default; the section is added when the
        file has none), or after the last entry."""
        if section is None and isinstance(entry, ParamEntry):
            section = entry.section
            if section is None:
                raise EditError(f"no section of a file has the code {entry.type >> 16:#x}")
        if section is not None:
            self._doc.insert_in_section(section, entry_text(entry))
        else:
            self.insert(len(self), entry)


class ControlList:
    """doc.controls: the controls, by index or by CTRL_NAME."""

    def __init__(self, doc: Document) -> None:
        self._doc = doc

    def __len__(self) -> int:
        return self._doc.counts()[1]

    def _find(self, at: Union[int, str]) -> int:
        if isinstance(at, str):
            for i, control in enumerate(self._doc.config.controls):
                if control.ctrl_name == at:
                    return i
            raise KeyError(at)
        return _index(at, len(self), "control")

    def __getitem__(self, at: Union[int, str]) -> ControlEditor:
        return ControlEditor(self._doc, self._find(at))

    def __iter__(self) -> Iterator[ControlEditor]:
        return (ControlEditor(self._doc, i) for i in range(len(self)))

    def __contains__(self, name: object) -> bool:
        return any(c.ctrl_name == name for c in self._doc.config.controls)

    def __delitem__(self, at: Union[int, str]) -> None:
        self._doc.remove(f"controls[{self._find(at)}]")

    def append(self, name: str) -> ControlEditor:
        """A control section whose CTRL_NAME is ``name``, at the end of the file."""
        self._doc.add_control(name)
        return ControlEditor(self._doc, len(self) - 1)
