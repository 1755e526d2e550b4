"""Read camera module configuration files with libpexilon_config_parser.

Uses ctypes and the standard library only::

    import pexilon_config
    config = pexilon_config.parse("camera.conf")
    print(config.camera.width, config.camera.height)
    for entry in config.entries:
        print(hex(entry.type), entry.values)

The shared object is found through, in this order: the ``library`` argument,
the environment variable PEXILON_CONFIG_PARSER_LIB, ``ctypes.util.find_library``.

A file with a faulty line raises :class:`ParseError`, which carries the line
number and the data that was still read (the library reads on past faults).
A file that cannot be opened raises :class:`OSError` (FileNotFoundError,
PermissionError, ... as the C library reported it).

Run as a program, it prints a summary: ``python3 pexilon_config.py FILE``.
"""

import ctypes
import ctypes.util
import os
import sys
from dataclasses import dataclass, field
from typing import List, Optional

__all__ = ["CameraSettings", "ParamEntry", "Control", "Config", "ParseError",
           "Library", "parse"]

ENV_LIBRARY = "PEXILON_CONFIG_PARSER_LIB"


# --- the C record, field by field in the header's order (natural alignment) --

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


# --- plain Python results ----------------------------------------------------

def _text(raw: bytes) -> str:
    """Text of a fixed-size field: up to the first NUL, or all of it."""
    return raw.split(b"\0", 1)[0].decode("utf-8", "surrogateescape")


@dataclass
class CameraSettings:
    cfg_mode: int = 0
    type: str = ""
    width: int = 0
    height: int = 0
    bit_width: int = 0
    format: int = 0
    i2c_mode: int = 0
    i2c_addr: int = 0
    trans_lvl: int = 0


@dataclass
class ParamEntry:
    """One board or register line: type = section code | key code."""
    type: int
    values: List[int]

    @property
    def kind(self) -> int:      # 0x02 board, 0x03 register
        return self.type >> 24

    @property
    def variant(self) -> int:   # device/interface variant
        return (self.type >> 16) & 0xFF

    @property
    def key(self) -> int:       # 1 REG, 2 VRCMD, 3 DELAY
        return self.type & 0xFFFF


@dataclass
class Control:
    min_value: int = 0
    max_value: int = 0
    step: int = 0
    default: int = 0
    ctrl_name: str = ""
    func_name: str = ""
    code: Optional[str] = None


@dataclass
class Config:
    camera: CameraSettings = field(default_factory=CameraSettings)
    entries: List[ParamEntry] = field(default_factory=list)
    controls: List[Control] = field(default_factory=list)


class ParseError(ValueError):
    """The file has a faulty line; ``config`` holds what was read anyway."""

    def __init__(self, path: str, line: int, config: Config):
        super().__init__(f"{path}:{line}: faulty configuration line")
        self.path = path
        self.line = line
        self.config = config


# --- the library -------------------------------------------------------------

class Library:
    """A loaded libpexilon_config_parser."""

    def __init__(self, path: Optional[str] = None):
        path = path or os.environ.get(ENV_LIBRARY) or \
            ctypes.util.find_library("pexilon_config_parser")
        if not path:
            raise OSError(f"libpexilon_config_parser not found; pass its path "
                          f"or set {ENV_LIBRARY}")
        self.path = path
        self._dll = ctypes.CDLL(path, use_errno=True)
        self._parse = self._dll.pexilon_parse_config
        self._parse.argtypes = [ctypes.c_char_p, ctypes.POINTER(CParsedConfig)]
        self._parse.restype = ctypes.c_int
        # The library allocates with the process's malloc, so release with the
        # process's free (the global symbol, as the library itself binds it).
        self._free = ctypes.CDLL(None).free
        self._free.argtypes = [ctypes.c_void_p]
        self._free.restype = None

    def parse(self, path) -> Config:
        """Parse the file at ``path`` (str, bytes or os.PathLike)."""
        record = CParsedConfig()  # ctypes zero-fills it
        ctypes.set_errno(0)
        result = self._parse(os.fsencode(path), ctypes.byref(record))
        if result == -1:
            err = ctypes.get_errno()
            raise OSError(err or 0, os.strerror(err) if err else
                          "cannot open configuration file", os.fsdecode(path))
        try:
            config = self._convert(record)
        finally:
            self._release(record)
        if result != 0:
            raise ParseError(os.fsdecode(path), result, config)
        return config

    @staticmethod
    def _convert(record: CParsedConfig) -> Config:
        cam = record.camera
        camera = CameraSettings(
            cfg_mode=cam.cfg_mode, type=_text(bytes(cam.type)),
            width=cam.width, height=cam.height, bit_width=cam.bit_width,
            format=cam.format, i2c_mode=cam.i2c_mode, i2c_addr=cam.i2c_addr,
            trans_lvl=cam.trans_lvl)
        entries = []
        for i in range(record.param_count):
            p = record.params[i]
            count = min(p.value_count, 16)
            entries.append(ParamEntry(p.type, list(p.values[:count])))
        controls = []
        for i in range(record.control_count):
            c = record.controls[i]
            code = None
            if c.code:
                code = ctypes.string_at(c.code).decode("utf-8", "surrogateescape")
            controls.append(Control(
                min_value=c.min_value, max_value=c.max_value, step=c.step,
                default=getattr(c, "def"), ctrl_name=_text(bytes(c.ctrl_name)),
                func_name=_text(bytes(c.func_name)), code=code))
        return Config(camera, entries, controls)

    def _release(self, record: CParsedConfig) -> None:
        for i in range(record.control_count):
            self._free(record.controls[i].code)
        self._free(ctypes.cast(record.controls, ctypes.c_void_p))
        self._free(ctypes.cast(record.params, ctypes.c_void_p))
        ctypes.memset(ctypes.byref(record), 0, ctypes.sizeof(record))


def parse(path, library: Optional[Library] = None) -> Config:
    """Parse one file with ``library``, or with a library loaded as described above."""
    return (library or Library()).parse(path)


def _main(argv: List[str]) -> int:
    if len(argv) not in (2, 3):
        print(f"usage: {argv[0]} CONFIG_FILE [LIBRARY]", file=sys.stderr)
        return 2
    try:
        config, status = Library(argv[2] if len(argv) == 3 else None).parse(argv[1]), 0
    except ParseError as e:
        config, status = e.config, 1
        print(e, file=sys.stderr)
    except OSError as e:
        print(e, file=sys.stderr)
        return 1
    cam = config.camera
    print(f"camera: {cam.type} {cam.width}x{cam.height}")
    print(f"entries: {len(config.entries)}")
    print(f"controls: {', '.join(c.ctrl_name for c in config.controls)}")
    return status


if __name__ == "__main__":
    sys.exit(_main(sys.argv))
