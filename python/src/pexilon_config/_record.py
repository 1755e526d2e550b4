"""The C record, field by field in the header's order, with natural alignment.

The layout test compares every offset and size here with what the C compiler
makes of include/pexilon/config_parser.h.
"""

import ctypes
from dataclasses import fields
from typing import Any

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


def to_config(record: CParsedConfig, path: str, result: int, error: "str | None") -> Config:
    """Copies the record into Python values; the record is left as it is."""
    cam = record.camera
    camera = CameraSettings(**{
        f.name: field_text(bytes(value)) if _is_text(f.metadata["c_type"]) else value
        for f in fields(CameraSettings) for value in (getattr(cam, f.name),)})
    params = []
    for i in range(record.param_count if record.params else 0):
        p = record.params[i]
        params.append(ParamEntry.from_type(p.type, tuple(p.values[:min(p.value_count, 16)])))
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
            code=code))
    return Config(camera, tuple(params), tuple(controls), path, result, error)
