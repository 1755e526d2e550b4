"""The record as Python values: frozen dataclasses, enums and their JSON form."""

from __future__ import annotations

import enum
from dataclasses import dataclass, field, fields
from typing import Any, Dict, Optional, Tuple

from ._dialect import SECTION_HEADERS, SECTION_NAMES
from ._library import PathArg


class _OpenIntEnum(enum.IntEnum):
    """An IntEnum that also holds codes it does not name, so that a record
    from a newer library still converts instead of raising."""

    @classmethod
    def _missing_(cls, value: object) -> Optional[_OpenIntEnum]:
        if not isinstance(value, int):
            return None
        member = int.__new__(cls, value)
        member._name_ = f"UNKNOWN_{value:#x}"
        member._value_ = value
        return member

    # Printed by name ("REGISTER"), as the dump names them; with a format
    # ("{:#x}") the number as any int.
    def __str__(self) -> str:
        return self.name

    def __format__(self, format_wanted: str) -> str:
        return str(self) if not format_wanted else int.__format__(int(self), format_wanted)


class Kind(_OpenIntEnum):
    """The section kind: bits 31..24 of an entry's type code."""

    CAMERA = 0x01
    BOARD = 0x02
    REGISTER = 0x03
    CONTROL = 0x04


class Key(_OpenIntEnum):
    """The key of a board or register line: bits 15..0 of its type code."""

    REG = 1
    VRCMD = 2
    DELAY = 3


# Section names by the upper half of a type code, as the reader names them
# (bracket groups joined by "||"), and their headers as a file writes them:
# the library's table, written out for the package.
_SECTION_NAMES: Dict[int, str] = SECTION_NAMES
_SECTION_HEADERS: Dict[int, str] = SECTION_HEADERS


def _line_field() -> Any:
    """The editor line that made a record item: known when the file was read
    with the check library at hand, else None. It says where the item came
    from, not what it holds, so records compare without it."""
    return field(default=None, compare=False)


def _json_text(text: str) -> str:
    """A record text as the program's JSON shows it: the file's bytes, each
    invalid UTF-8 sequence replaced by U+FFFD."""
    return text.encode("utf-8", "surrogateescape").decode("utf-8", "replace")


def _fields_dict(record: Any) -> Dict[str, Any]:
    """A record's fields under the program's JSON names, which are the
    fields' own names (the test against the program's JSON holds them to
    that)."""
    return {f.name: _json_text(v) if isinstance(v, str) else v
            for f in fields(record) for v in (getattr(record, f.name),)}


def _c_field(c_type: str, default: Any = 0, shown_hex: bool = False) -> Any:
    """A field of the C record's camera_settings, with its C type: the ctypes
    layout (_record) is made from these, and the layout test holds it to the
    header."""
    return field(default=default, metadata={"c_type": c_type, "shown_hex": shown_hex})


@dataclass(frozen=True)
class CameraSettings:
    """The fixed camera parameters, from the section "camera parameter"."""

    cfg_mode: int = _c_field("uint32")
    type: str = _c_field("char[50]", "")
    width: int = _c_field("uint32")
    height: int = _c_field("uint32")
    bit_width: int = _c_field("uint8")
    format: int = _c_field("uint16", shown_hex=True)
    i2c_mode: int = _c_field("uint8")
    i2c_addr: int = _c_field("uint16")
    trans_lvl: int = _c_field("uint32")

    def __repr__(self) -> str:
        shown = ", ".join(f"{f.name}=0x{v:02X}" if f.metadata["shown_hex"] else f"{f.name}={v!r}"
                          for f in fields(self) for v in (getattr(self, f.name),))
        return f"CameraSettings({shown})"

    def to_dict(self) -> Dict[str, Any]:
        return _fields_dict(self)


@dataclass(frozen=True)
class ParamEntry:
    """One line of a board or register section. ``line`` is the editor line
    that made it (a continuation line for the entry it makes), as ``check``
    and ``explain`` number lines, or None (see _line_field)."""

    kind: Kind
    variant: int
    key: Key
    values: Tuple[int, ...] = ()
    line: Optional[int] = _line_field()

    @classmethod
    def from_type(cls, type_code: int, values: Tuple[int, ...],
                  line: Optional[int] = None) -> ParamEntry:
        return cls(Kind((type_code >> 24) & 0xFF), (type_code >> 16) & 0xFF,
                   Key(type_code & 0xFFFF), values, line)

    @property
    def type(self) -> int:
        """The record's type code: section code | key code."""
        return (int(self.kind) << 24) | (self.variant << 16) | int(self.key)

    @property
    def section(self) -> Optional[str]:
        """The section's name as the reader names it ("board
        parameter||dev2"), or None for a code that no section of this
        version has."""
        return _SECTION_NAMES.get(self.type >> 16)

    @property
    def header(self) -> Optional[str]:
        """The section's header as a file writes it ("[board
        parameter][dev2]"), or None as for ``section``."""
        return _SECTION_HEADERS.get(self.type >> 16)

    def __repr__(self) -> str:
        # Hex as the dump prints it, and what the file most likely says.
        values = ", ".join(f"0x{v:04X}" for v in self.values)
        if len(self.values) == 1:
            values += ","
        line = "" if self.line is None else f", line={self.line}"
        return (f"ParamEntry(kind=Kind.{self.kind.name}, variant=0x{self.variant:02X}, "
                f"key=Key.{self.key.name}, values=({values}){line})")

    def to_dict(self) -> Dict[str, Any]:
        return {
            "section": self.section,
            "header": self.header,
            "key": self.key.name if self.key.name in Key.__members__ else None,
            "type": self.type,
            "values": list(self.values),
            "line": self.line,
        }


@dataclass(frozen=True)
class Control:
    """One "control parameter" section. ``default`` is the file's DEF;
    ``line`` the editor line of its "[control parameter]" header, or None
    (see ParamEntry)."""

    min_value: int = 0
    max_value: int = 0
    step: int = 0
    default: int = 0
    reserved: int = 0
    ctrl_name: str = ""
    func_name: str = ""
    code: Optional[str] = None
    line: Optional[int] = _line_field()

    def to_dict(self) -> Dict[str, Any]:
        return _fields_dict(self)


@dataclass(frozen=True)
class Config:
    """What the library read from one file.

    ``result`` is what the library returned: 0 when every line was accepted,
    else the first faulty line as the library counts lines (long lines count
    once per 199-byte piece); ``error`` then says what was wrong with it.
    """

    camera: CameraSettings = field(default_factory=CameraSettings)
    params: Tuple[ParamEntry, ...] = ()
    controls: Tuple[Control, ...] = ()
    path: Optional[str] = None
    result: int = 0
    error: Optional[str] = None

    @property
    def entry_lines(self) -> Tuple[Optional[int], ...]:
        """The editor line of each entry (``params[i].line``)."""
        return tuple(entry.line for entry in self.params)

    @property
    def control_lines(self) -> Tuple[Optional[int], ...]:
        """The editor line of each control's header (``controls[i].line``)."""
        return tuple(control.line for control in self.controls)

    def append(self, path: PathArg | bytes, *, library: Optional[PathArg] = None,
               check_library: Optional[PathArg] = None) -> Config:
        """This record with the file at ``path`` read into it, as C++'s
        ``config::append`` reads a second file: camera fields the file names
        are overwritten, its entries and controls follow these (their
        ``line`` is in that file). Returns the new Config, whose ``path``,
        ``result`` and ``error`` are those of this read; this one is left
        as it is. Raises ParseError (its ``config`` is the record with as
        much of the file as was read: all of it but the faulty lines) and
        OSError as load() does."""
        from ._parse import append_file  # _parse builds on this module
        return append_file(self, path, library=library, check_library=check_library)

    def to_dict(self) -> Dict[str, Any]:
        """The record in the layout of ``pexilon-config json``, key for key."""
        return {
            "file": None if self.path is None else _json_text(self.path),
            "result": self.result,
            "error": self.error,
            "camera": self.camera.to_dict(),
            "entries": [entry.to_dict() for entry in self.params],
            "controls": [control.to_dict() for control in self.controls],
        }


class Severity(str, enum.Enum):
    """How serious a diagnostic is."""

    ERROR = "error"
    WARNING = "warning"
    NOTE = "note"


@dataclass(frozen=True)
class Note:
    """A place related to a diagnostic: the first SIZE of a duplicate, the
    start of a cut-off block. ``lineno`` 0 means no place in the file."""

    lineno: int
    column: int
    end_column: int
    message: str
    display_column: int = 0
    display_end_column: int = 0


@dataclass(frozen=True)
class Fix:
    """A certain repair of a diagnostic: on line ``lineno``, the bytes from
    ``column`` up to ``end_column`` (1-based) become ``replacement``;
    ``change`` says what that does to the record."""

    lineno: int
    column: int
    end_column: int
    replacement: str
    change: str


@dataclass(frozen=True)
class Diagnostic:
    """One finding of the checker.

    Lines are counted as editors count them; columns are 1-based bytes of
    that line, 0 when the diagnostic concerns the whole line. The
    ``display_`` columns count characters instead (a well-formed UTF-8
    sequence is one, and so is any other byte), as they are shown.
    """

    lineno: int
    column: int
    end_column: int
    severity: Severity
    name: str
    message: str
    notes: Tuple[Note, ...] = ()
    hint: Optional[str] = None
    reader_line: int = 0
    fixes: Tuple[Fix, ...] = ()
    display_column: int = 0
    display_end_column: int = 0

    def format(self, path: str) -> str:
        """The diagnostic in the one-line form of compilers, its notes on
        lines of their own after it."""
        # Warnings name the option that silences them; errors cannot be.
        option = self.name if self.severity is Severity.ERROR else f"-W{self.name}"
        column = self.display_column or self.column
        lines = [f"{_place(path, self.lineno, column)}: {self.severity.value}: "
                 f"{self.message} [{option}]"]
        if self.hint:
            lines.append(f"{_place(path, self.lineno, column)}: note: {self.hint}")
        lines += [f"{_place(path, n.lineno, n.display_column or n.column)}: note: {n.message}"
                  for n in self.notes]
        return "\n".join(lines)


def _place(path: str, lineno: int, column: int) -> str:
    return f"{path}:{lineno}:{column}" if column else f"{path}:{lineno}"
