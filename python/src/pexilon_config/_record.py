"""The C record, field by field in the header's order, with natural alignment.

The layout test compares every offset and size here with what the C compiler
makes of include/pexilon/config_parser.h.
"""

import ctypes
from dataclasses import fields
from typing import Any, Callable, Optional, Sequence

from ._model import CameraSettings, Config, Control, ParamEntry

_C_NUMBERS = {"uint8": ctypes.c_uint8, "uint16": ctypes.c_uint16, "uint32": ctypes.c_uint32}


def _c_type(spelled: str) -> Any:
    """The ctypes type of a C type as _model spells it: "uint32", "char[50]"."""
    if spelled.startswith("char["):
        return ctypes.c_char * int(spelled[5:-1])
    return _C_NUMBERS[spelled]


def _is_text(spelled: str) -> bool:
    return spelled.startswith("char[")


class CCameraSettings(ctypes.Structure):
    # The fields and their order are CameraSettings'.
    _fields_ = [(f.name, _c_type(f.metadata["c_type"])) for f in fields(CameraSettings)]


class CParamEntry(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_uint32),
        ("values", ctypes.c_uint32 * 16),
        ("value_count", ctypes.c_uint8),
    ]


class CControlEntry(ctypes.Structure):
    _fields_ = [
        ("min_value", ctypes.c_int64),
        ("max_value", ctypes.c_int64),
        ("step", ctypes.c_int32),
        ("def", ctypes.c_int64),
        ("reserved", ctypes.c_uint32),
        ("ctrl_name", ctypes.c_char * 128),
        ("func_name", ctypes.c_char * 128),
        ("code", ctypes.c_void_p),  # not c_char_p: the pointer must stay freeable
    ]


class CParsedConfig(ctypes.Structure):
    _fields_ = [
        ("camera", CCameraSettings),
        ("params", ctypes.POINTER(CParamEntry)),
        ("param_count", ctypes.c_uint32),
        ("controls", ctypes.POINTER(CControlEntry)),
        ("control_count", ctypes.c_uint32),
    ]


def field_text(raw: bytes) -> str:
    """A fixed-size text field up to its first NUL, or all of it (TYPE is not
    terminated when full). Bytes that are not UTF-8 survive as surrogate
    escapes, so the text encodes back to the file's bytes."""
    return raw.split(b"\0", 1)[0].decode("utf-8", "surrogateescape")


def _line_at(lines: Sequence[Optional[int]], index: int) -> Optional[int]:
    return lines[index] if index < len(lines) else None


def to_config(record: CParsedConfig, path: str, result: int, error: "str | None",
              entry_lines: Sequence[Optional[int]] = (),
              control_lines: Sequence[Optional[int]] = ()) -> Config:
    """Copies the record into Python values, with the editor line of each
    entry and control where it is known; the record is left as it is."""
    cam = record.camera
    camera = CameraSettings(**{
        f.name: field_text(bytes(value)) if _is_text(f.metadata["c_type"]) else value
        for f in fields(CameraSettings) for value in (getattr(cam, f.name),)})
    params = []
    for i in range(record.param_count if record.params else 0):
        p = record.params[i]
        params.append(ParamEntry.from_type(p.type, tuple(p.values[:min(p.value_count, 16)]),
                                           _line_at(entry_lines, i)))
    controls = []
    for i in range(record.control_count if record.controls else 0):
        c = record.controls[i]
        code = None
        if c.code:
            code = ctypes.string_at(c.code).decode("utf-8", "surrogateescape")
        controls.append(Control(
            min_value=c.min_value, max_value=c.max_value, step=c.step,
            default=getattr(c, "def"), reserved=c.reserved,
            ctrl_name=field_text(bytes(c.ctrl_name)), func_name=field_text(bytes(c.func_name)),
            code=code, line=_line_at(control_lines, i)))
    return Config(camera, tuple(params), tuple(controls), path, result, error)


def _c_text(text: str) -> bytes:
    return text.encode("utf-8", "surrogateescape")


def fill_record(record: CParsedConfig, config: Config, malloc: Callable[[int], int]) -> None:
    """Fills the zeroed ``record`` with ``config``, its lists allocated with
    ``malloc`` as the library leaves them (params with room for 100 x (count
    / 100 + 1) entries, controls exactly count), so that the library reads a
    further file into it. The caller releases the record as any record the
    library filled, also when this raises MemoryError part way."""
    for f in fields(CameraSettings):
        value = getattr(config.camera, f.name)
        setattr(record.camera, f.name, _c_text(value) if _is_text(f.metadata["c_type"]) else value)
    if config.params:
        room = 100 * (len(config.params) // 100 + 1)
        record.params = ctypes.cast(_allocate(malloc, room * ctypes.sizeof(CParamEntry)),
                                    ctypes.POINTER(CParamEntry))
        for i, entry in enumerate(config.params):
            record.param_count = i + 1  # what the record owns, should a later step fail
            record.params[i].type = entry.type
            record.params[i].value_count = len(entry.values)
            for v, value in enumerate(entry.values):
                record.params[i].values[v] = value
    if config.controls:
        size = len(config.controls) * ctypes.sizeof(CControlEntry)
        block = _allocate(malloc, size)
        ctypes.memset(block, 0, size)
        record.controls = ctypes.cast(block, ctypes.POINTER(CControlEntry))
        record.control_count = len(config.controls)
        for i, control in enumerate(config.controls):
            _fill_control(record.controls[i], control, malloc)


def _fill_control(c: CControlEntry, control: Control, malloc: Callable[[int], int]) -> None:
    c.min_value, c.max_value, c.step = control.min_value, control.max_value, control.step
    setattr(c, "def", control.default)
    c.reserved = control.reserved
    c.ctrl_name, c.func_name = _c_text(control.ctrl_name), _c_text(control.func_name)
    if control.code is not None:
        code = _c_text(control.code) + b"\0"
        c.code = _allocate(malloc, len(code))
        ctypes.memmove(c.code, code, len(code))


def _allocate(malloc: Callable[[int], int], size: int) -> int:
    block = malloc(size)
    if not block:
        raise MemoryError(f"malloc of {size} bytes failed")
    return block
