"""The commands of pexilon-config, for machines that have only this package.

Exit status as the program's: 0 every file read without fault, 1 a file has a
faulty line, 2 a file could not be read or the command line is wrong.
"""

from __future__ import annotations

import ctypes
import json
import os
import signal
import sys
from dataclasses import dataclass, field
from typing import Any, BinaryIO, Callable, Dict, List, Optional, Set, Tuple

from . import __version__
from ._check import Checker
from ._format import FormatError, format_text
from ._library import LibraryNotFoundError
from ._model import Config, Severity
from ._record import CCameraSettings, CControlEntry
from ._parse import ParseError, load, loads

OK, FAULTY, FAILED = 0, 1, 2
PROG = "python -m pexilon_config"

USAGE = f"""\
Usage: {PROG} COMMAND FILE...
       {PROG} --help | --version

Reads camera module configuration files through libpexilon_config_parser
and reports what they hold. A FILE of "-" is standard input; "--" ends the
options.

Commands:
  check   print every diagnostic of each file in the one-line form of
          compilers, "FILE:LINE:COL: SEVERITY: MESSAGE [-WNAME]", each hint
          and note on a line of its own, as pexilon-config check
          --format=gcc does (the one form here). -Wno-NAME silences the
          warning NAME, -WNAME restores it, --werror makes warnings count
          as errors for the exit status. Without libpexilon_config_check
          only the first faulty line of each file is reported.
  dump    print the record in the library's diagnostic layout, in file
          order on standard output; with --split-streams the numbers of the
          entries go to standard output and the rest to standard error.
          Faults go to standard error in the format of 'check'.
  json    print the record as JSON, as pexilon-config json does: one
          object per file, an array of them for several files. A file that
          cannot be read gives its "error" and null for the record.
  fmt     print each file in the layout of pexilon-config fmt; with
          --check, print "would reformat FILE" for each file that would
          change instead, and exit 1 if any would. A file the layout would
          read otherwise is left alone and reported (exit status 2).

The program has more (explain, diff, lsp, check's other formats and fixes,
fmt -i and --diff).

Options:
  -h, --help     show this help and exit
  -V, --version  show the version and exit

Exit status:
  0  every file read without fault
  1  a file has a faulty line (and none of the errors below)
  2  a file could not be opened or read, or the command line is wrong
"""


class UsageError(Exception):
    pass


class Output:
    """Standard output and error as bytes; the file's texts are written back
    as the bytes they were. ``out`` takes the numbers of the entries, ``err``
    the rest of a record (standard output too unless the streams are split),
    ``fault`` what went wrong (always standard error)."""

    def __init__(self, split: bool) -> None:
        self.out: BinaryIO = sys.stdout.buffer
        self.err: BinaryIO = sys.stderr.buffer if split else self.out
        self.fault: BinaryIO = sys.stderr.buffer

    def text(self, stream: BinaryIO, text: str) -> None:
        # The streams may share a terminal or a file: what went to the other
        # one first must arrive first.
        for other in {id(s): s for s in (self.out, self.err, self.fault)}.values():
            if other is not stream:
                other.flush()
        _write_all(stream, text.encode("utf-8", "surrogateescape"))


def _write_all(stream: BinaryIO, data: bytes) -> None:
    """Writes every byte. A buffered stream may take only part of a large
    write when the reader goes away meanwhile and tell of it with the count
    alone; the next write then raises, as it must."""
    view = memoryview(data)
    while view:
        view = view[stream.write(view) or 0:]


def _read(name: str) -> Tuple[Optional[Config], Optional[str], int]:
    """(config, error line, status) of one file."""
    try:
        if name == "-":
            return loads(sys.stdin.buffer.read(), name="-"), None, OK
        return load(name), None, OK
    except ParseError as err:
        return err.config, f"{name}:{err.lineno}: error: {err.reason}", FAULTY
    except OSError as err:
        if isinstance(err, LibraryNotFoundError):
            raise
        return None, f"{name}: error: cannot open: {os.strerror(err.errno or 0)}", FAILED


def _signed32(value: int) -> int:
    return value - (1 << 32) if value & 0x80000000 else value


def _dump_value(value: object, c_type: object) -> str:
    """A field as the dump writes it: unsigned 32-bit numbers as signed."""
    if isinstance(value, int) and c_type is ctypes.c_uint32:
        return str(_signed32(value))
    return str(value)


def _dump(config: Config, out: Output) -> None:
    cam = config.camera
    lines = []
    for name, c_type in CCameraSettings._fields_:
        value = getattr(cam, name)
        shown = f"0x{value:02X}" if name == "format" else _dump_value(value, c_type)
        lines.append(f"{name.upper():<9}: {shown}\n")
    out.text(out.err, "".join(lines))
    group = 0
    for entry in config.params:
        if entry.type >> 16 != group:
            group = entry.type >> 16
            out.text(out.err, f"[0x{group:04X}]\n")
        out.text(out.out, "".join(f"0x{v:04X} " for v in entry.values) + "\n")
    for c in config.controls:
        lines = []
        for name, c_type in CControlEntry._fields_:
            if name in ("reserved", "code"):
                continue
            value = getattr(c, "default" if name == "def" else name)
            if isinstance(value, str):
                lines.append(f"{name.upper()}\t= {value}\n")
            else:
                lines.append(f"{name.upper():<11}= {_dump_value(value, c_type)}\n")
        lines.append(f"{'(null)' if c.code is None else c.code}\n")
        out.text(out.err, "".join(lines))


def run_dump(files: List[str], split: bool) -> int:
    out = Output(split)
    worst = OK
    for name in files:
        config, error, status = _read(name)
        worst = max(worst, status)
        if len(files) > 1:
            out.text(out.err, f"==> {name} <==\n")
        if error:
            out.text(out.fault, error + "\n")
        if config is not None:
            _dump(config, out)
    return worst


def _unread(name: str, error: str) -> Dict[str, Any]:
    """The JSON of a file that could not be read: its error and no record."""
    return {"file": Config(path=name).to_dict()["file"], "result": -1,
            "error": error.split(": error: ", 1)[1], "camera": None, "entries": None,
            "controls": None}


def run_json(files: List[str]) -> int:
    out = Output(False)
    docs = []
    worst = OK
    for name in files:
        config, error, status = _read(name)
        worst = max(worst, status)
        if config is None:
            out.text(out.fault, f"{error}\n")
            docs.append(_unread(name, error or ""))
        else:
            docs.append(config.to_dict())
    shown = docs[0] if len(files) == 1 else docs
    out.text(out.out, json.dumps(shown, indent=2, ensure_ascii=False) + "\n")
    return worst


@dataclass
class Options:
    split_streams: bool = False
    check_only: bool = False
    werror: bool = False
    silenced: Set[str] = field(default_factory=set)


def _check_one(checker: Optional[Checker], name: str, options: Options, out: Output) -> int:
    if checker is None:  # the parser alone: the first faulty line
        _, error, status = _read(name)
        if error:
            out.text(out.err if status == FAILED else out.out, error + "\n")
        return status
    shown = "<stdin>" if name == "-" else name
    try:
        if name == "-":
            found, read_error = checker.run_text(sys.stdin.buffer.read())
        else:
            found, read_error = checker.run_path(name)
    except OSError as err:
        out.text(out.err, f"{PROG}: cannot open '{shown}': {os.strerror(err.errno or 0)}\n")
        return FAILED
    found = [d for d in found if d.severity is Severity.ERROR or d.name not in options.silenced]
    for diagnostic in found:
        out.text(out.out, diagnostic.format(shown) + "\n")
    if read_error:
        return FAILED
    if any(d.severity is Severity.ERROR for d in found):
        return FAULTY
    return FAULTY if options.werror and found else OK


def _fmt_one(name: str, check_only: bool, out: Output) -> int:
    try:
        if name == "-":
            data = sys.stdin.buffer.read()
        else:
            with open(name, "rb") as f:
                data = f.read()
    except OSError as err:
        out.text(out.fault, f"{PROG}: {name}: cannot open: {os.strerror(err.errno or 0)}\n")
        return FAILED
    try:
        formatted = format_text(data)
    except FormatError as err:
        out.text(out.fault, f"{PROG}: {name}: not formatted: {err}\n")
        return FAILED
    assert isinstance(formatted, bytes)
    if not check_only:
        _write_all(out.out, formatted)
        return OK
    if formatted == data:
        return OK
    out.text(out.out, f"would reformat {'<stdin>' if name == '-' else name}\n")
    return FAULTY


def run_fmt(files: List[str], options: Options) -> int:
    out = Output(True)
    return max([_fmt_one(name, options.check_only, out) for name in files])


def run_check(files: List[str], options: Options) -> int:
    try:
        checker: Optional[Checker] = Checker()
    except (OSError, AttributeError):
        checker = None
        sys.stderr.write(f"{PROG}: libpexilon_config_check not loaded (set "
                         "PEXILON_CHECK_LIBRARY): only the first faulty line of each file "
                         "is reported\n")
    out = Output(True)
    return max([_check_one(checker, name, options, out) for name in files])


def _option(command: str, arg: str, options: Options) -> None:
    """Takes one option of ``command`` into ``options``."""
    if command == "dump" and arg == "--split-streams":
        options.split_streams = True
    elif command == "fmt" and arg == "--check":
        options.check_only = True
    elif command == "check" and arg == "--format=gcc":
        pass  # the one form there is
    elif command == "check" and arg == "--werror":
        options.werror = True
    elif command == "check" and arg.startswith("-Wno-") and len(arg) > 5:
        options.silenced.add(arg[5:])
    elif command == "check" and arg.startswith("-W") and len(arg) > 2:
        options.silenced.discard(arg[2:])
    else:
        raise UsageError(f"unknown option '{arg}'")


def _parse_args(argv: List[str]) -> Tuple[str, List[str], Options]:
    if not argv:
        raise UsageError("missing command")
    command, rest = argv[0], argv[1:]
    if command not in ("check", "dump", "json", "fmt"):
        kind = "option" if command.startswith("-") and command != "-" else "command"
        raise UsageError(f"unknown {kind} '{command}'")
    files: List[str] = []
    options = Options()
    done = False
    for arg in rest:
        if not done and arg == "--":
            done = True
        elif not done and arg in ("-h", "--help"):
            return "help", [], options
        elif not done and arg.startswith("-") and arg != "-":
            _option(command, arg, options)
        else:
            files.append(arg)
    if not files:
        raise UsageError(f"no FILE given to '{command}'")
    if files.count("-") > 1:
        raise UsageError("standard input ('-') given more than once")
    return command, files, options


def _commands() -> Dict[str, Callable[[List[str], Options], int]]:
    return {
        "check": run_check,
        "dump": lambda files, options: run_dump(files, options.split_streams),
        "json": lambda files, _: run_json(files),
        "fmt": run_fmt,
    }


def main(argv: List[str]) -> int:
    try:
        if argv[:1] in (["-h"], ["--help"]):
            sys.stdout.write(USAGE)
            return _flushed(OK)
        if argv[:1] in (["-V"], ["--version"]):
            sys.stdout.write(f"pexilon_config {__version__}\n")
            return _flushed(OK)
        command, files, options = _parse_args(argv)
        if command == "help":
            sys.stdout.write(USAGE)
            return _flushed(OK)
        return _flushed(_commands()[command](files, options))
    except UsageError as err:
        sys.stderr.write(f"{PROG}: {err}\nTry '{PROG} --help' for more information.\n")
        return FAILED
    except LibraryNotFoundError as err:
        sys.stderr.write(f"{PROG}: {err}\n")
        return FAILED
    except BrokenPipeError:
        _end_as_the_program_does()
        return FAILED
    except OSError as err:  # a write error: a full disk
        sys.stderr.write(f"{PROG}: write error: {err.strerror or err}\n")
        # Whatever is still buffered cannot be written either; let the exit
        # of the interpreter not try again.
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, sys.stdout.fileno())
        os.close(devnull)
        return FAILED


def _end_as_the_program_does() -> None:
    """A reader that went away (``... | head``) ends the program quietly, by
    SIGPIPE, as it ends pexilon-config; Python ignores that signal, so it is
    given back its default and raised again."""
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, sys.stdout.fileno())
    os.close(devnull)
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    os.kill(os.getpid(), signal.SIGPIPE)


def _flushed(status: int) -> int:
    """A write that fails when the buffer is flushed must not pass for success."""
    sys.stdout.flush()
    sys.stderr.flush()
    return status
