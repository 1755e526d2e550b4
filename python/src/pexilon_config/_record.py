"""The C record, field by field in the header's order, with natural alignment.

The layout test compares every offset and size here with what the C compiler
makes of include/pexilon/config_parser.h.
"""

import ctypes

from ._model import CameraSettings, Config, Control, ParamEntry


class CCameraSettings(ctypes.Structure):
    _fields_ = [
        ("cfg_mode", ctypes.c_uint32),
        ("type", ctypes.c_char * 50),
        ("width", ctypes.c_uint32),
        ("height", ctypes.c_uint32),
        ("bit_width", ctypes.c_uint8),
        ("format", ctypes.c_uint16),
        ("i2c_mode", ctypes.c_uint8),
        ("i2c_addr", ctypes.c_uint16),
        ("trans_lvl", ctypes.c_uint32),
    ]


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
    camera = CameraSettings(
        cfg_mode=cam.cfg_mode, type=field_text(bytes(cam.type)), width=cam.width,
        height=cam.height, bit_width=cam.bit_width, format=cam.format,
        i2c_mode=cam.i2c_mode, i2c_addr=cam.i2c_addr, trans_lvl=cam.trans_lvl)
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
