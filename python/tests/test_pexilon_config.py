"""Tests of the installed pexilon_config package.

Run by run_installed.sh from outside the source folder, in a fresh virtual
environment where the package was installed with pip. Environment:
  PEXILON_TEST_PROGRAM   the pexilon-config program (the JSON and dump agree)
  PEXILON_TEST_PARSER    the built libpexilon_config_parser.so
  PEXILON_TEST_CHECK     the built libpexilon_config_check.so, empty without one
  PEXILON_TEST_PROBE     the layout_probe program
  PEXILON_TEST_SOURCE    the source tree (examples/sample.conf, tests/data, include)
  PEXILON_TEST_VERSION   the project's version
"""

import ctypes
import dataclasses
import errno
import glob
import json
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import pexilon_config as pc
from pexilon_config import _check, _record

ENV = os.environ
SOURCE = ENV["PEXILON_TEST_SOURCE"]
SAMPLE = os.path.join(SOURCE, "examples", "sample.conf")
DATA = sorted(glob.glob(os.path.join(SOURCE, "tests", "data", "*.conf")))
CHECK = ENV.get("PEXILON_TEST_CHECK", "")

FULL = """\
; a camera module
[camera parameter]
CFG_MODE = 2
TYPE = IMX-PEX \u00b5cam
SIZE = 1920, 1080
BIT_WIDTH = 10
FORMAT = 1, 2
I2C_MODE = 1
I2C_ADDR = 0x1A
TRANS_LVL = 64

[board parameter][dev2]
VRCMD = 1, 2
[register parameter]
REG = 0x3000, 0x12
    0x3001, 0x34
DELAY = 10
[register parameter][dev3][inf3]
REG = 0xFFFFFFFF

[control parameter]
MIN_VALUE = -9223372036854775808
MAX_VALUE = 9223372036854775807
STEP = 4294967297
DEF = -5
CTRL_NAME = exposure
FUNC_NAME = set_exposure
======CODE_BLOCK_START======
  write(0x3000, value)

======CODE_BLOCK_END======
[control parameter]
CTRL_NAME = gain
"""

# Faulty texts: (name, text, editor line of the fault, reader line). Long
# lines are read in pieces of 199 bytes, which the reader counts as lines.
LONG = "; " + "x" * 197 + "; the second piece is a comment too\n"
FAULTY = [
    ("no_separator", "[camera parameter]\nSIZE = 640, 480\nno separator\nBIT_WIDTH = 8\n", 3, 3),
    ("after_a_long_comment", LONG + "[camera parameter]\nBIT_WIDTH 8\n", 3, 4),
    ("long_line_itself", "[camera parameter]\nTYPE = " + "t" * 300 + " x\n", 2, 3),
    ("unterminated_block", "[control parameter]\nCTRL_NAME = x\n"
                           "======CODE_BLOCK_START======\nop\n", 4, 4),
]


def run(args, stdin=b"", env=None):
    done = subprocess.run(args, input=stdin, capture_output=True, timeout=60, env=env)
    return done.returncode, done.stdout, done.stderr


def module(*args, stdin=b""):
    return run([sys.executable, "-m", "pexilon_config", *args], stdin)


def program(*args, stdin=b""):
    return run([ENV["PEXILON_TEST_PROGRAM"], *args], stdin)


class Files(unittest.TestCase):
    def write(self, data, name="x.conf"):
        folder = tempfile.mkdtemp()
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", folder]))
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data.encode() if isinstance(data, str) else data)
        return path


class InstalledTest(unittest.TestCase):
    def test_the_installed_package_is_the_one_imported(self):
        self.assertTrue(pc.__file__.startswith(sys.prefix + os.sep), pc.__file__)
        self.assertNotEqual(sys.prefix, sys.base_prefix)
        self.assertEqual(pc.__version__, ENV["PEXILON_TEST_VERSION"])
        self.assertTrue(os.path.exists(os.path.join(os.path.dirname(pc.__file__), "py.typed")))

    def test_enums_match_the_header(self):
        with open(os.path.join(SOURCE, "include", "pexilon", "config_parser.h")) as f:
            header = dict(re.findall(r"#define PEXILON_((?:KIND|KEY)_\w+) (0x\w+|\d+)u", f.read()))
        ours = {f"KIND_{m.name}": int(m) for m in pc.Kind}
        ours.update({f"KEY_{m.name}": int(m) for m in pc.Key})
        self.assertEqual({k: int(v, 0) for k, v in header.items()}, ours)
        self.assertEqual(pc.Kind(0x7F).name, "UNKNOWN_0x7f")  # a newer library's code

    def test_enums_print_their_names(self):
        for value, shown in ((pc.Kind.REGISTER, "REGISTER"), (pc.Key.DELAY, "DELAY"),
                             (pc.Kind(0x7F), "UNKNOWN_0x7f")):
            with self.subTest(shown):
                self.assertEqual((str(value), f"{value}"), (shown, shown))
        self.assertEqual((f"{pc.Kind.REGISTER:#04x}", f"{pc.Key.REG:d}"), ("0x03", "1"))
        self.assertEqual(pc.Kind.REGISTER, 3)  # still the number it is


class LayoutTest(unittest.TestCase):
    """The ctypes mapping must match the C compiler's layout of the header."""

    STRUCTS = {"camera_settings": _record.CCameraSettings, "param_entry": _record.CParamEntry,
               "control_entry": _record.CControlEntry, "parsed_config": _record.CParsedConfig,
               "pexilon_check_note": _check._CNote, "pexilon_check_fix": _check._CFix,
               "pexilon_check_span": _check._CSpan,
               "pexilon_check_diagnostic": _check._CDiagnostic,
               "pexilon_check_summary": _check._CSummary,
               "pexilon_check_lines": _check._CLines}

    def test_every_field_matches_the_c_layout(self):
        out = subprocess.run([ENV["PEXILON_TEST_PROBE"]], check=True, capture_output=True,
                             text=True).stdout
        seen = {name: [] for name in self.STRUCTS}
        for line in out.splitlines():
            name, first, second = line.split()
            struct, _, fname = name.partition(".")
            cls = self.STRUCTS[struct]
            with self.subTest(name):
                if fname:
                    seen[struct].append(fname)
                    desc = getattr(cls, fname)
                    self.assertEqual((desc.offset, desc.size), (int(first), int(second)))
                else:
                    self.assertEqual((ctypes.sizeof(cls), ctypes.alignment(cls)),
                                     (int(first), int(second)))
        for struct, cls in self.STRUCTS.items():
            with self.subTest(struct):
                self.assertEqual([f[0] for f in cls._fields_], seen[struct])


class LoadTest(Files):
    def test_full_file_from_a_path_and_from_text(self):
        for how, config in (("load", pc.load(self.write(FULL))), ("loads", pc.loads(FULL))):
            with self.subTest(how):
                self.assertEqual(config.camera, pc.CameraSettings(
                    cfg_mode=2, type="IMX-PEX \u00b5cam", width=1920, height=1080,
                    bit_width=10, format=258, i2c_mode=1, i2c_addr=0x1A, trans_lvl=64))
                self.assertEqual([(e.kind, e.variant, e.key, e.values) for e in config.params], [
                    (pc.Kind.BOARD, 2, pc.Key.VRCMD, (1, 2)),
                    (pc.Kind.REGISTER, 0, pc.Key.REG, (0x3000, 0x12)),
                    (pc.Kind.REGISTER, 0, pc.Key.REG, (0x3001, 0x34)),
                    (pc.Kind.REGISTER, 0, pc.Key.DELAY, (10,)),
                    (pc.Kind.REGISTER, 3, pc.Key.REG, (0xFFFFFFFF,)),
                ])
                self.assertEqual(config.params[4].type, 0x03030001)
                self.assertEqual(config.controls, (
                    pc.Control(min_value=-2**63, max_value=2**63 - 1, step=1, default=-5,
                               ctrl_name="exposure", func_name="set_exposure",
                               code="  write(0x3000, value)\n\n"),
                    pc.Control(ctrl_name="gain"),
                ))
                self.assertEqual((config.result, config.error), (0, None))

    def test_text_fields_at_their_limits_and_undecodable_bytes(self):
        text = (b"[camera parameter]\nTYPE = " + b"t" * 60 + b"\n[control parameter]\n"
                b"CTRL_NAME = " + b"c" * 150 + b"\nFUNC_NAME = caf\xe9\n")
        config = pc.loads(text)
        self.assertEqual(config.camera.type, "t" * 50)
        self.assertEqual(config.controls[0].ctrl_name, "c" * 127)
        self.assertEqual(config.controls[0].func_name.encode("utf-8", "surrogateescape"),
                         b"caf\xe9")

    def test_many_entries_and_controls_keep_their_order(self):
        # Past the first allocation of params, and several controls in a row:
        # reading them back checks the array strides of the mapping.
        lines = ["[register parameter]"] + [f"REG = {i}, {i * 2}" for i in range(250)]
        for i in range(5):
            lines += ["[control parameter]", f"DEF = {i - 2}", f"CTRL_NAME = c{i}",
                      "======CODE_BLOCK_START======", f"op{i}", "======CODE_BLOCK_END======"]
        config = pc.loads("\n".join(lines) + "\n")
        self.assertEqual([e.values for e in config.params], [(i, i * 2) for i in range(250)])
        self.assertEqual([(c.default, c.ctrl_name, c.code) for c in config.controls],
                         [(i - 2, f"c{i}", f"op{i}\n") for i in range(5)])

    def test_faulty_line_raises_with_the_editor_line_and_the_record(self):
        for name, text, lineno, reader_line in FAULTY:
            path = self.write(text)
            for how, load in (("load", lambda: pc.load(path)), ("loads", lambda: pc.loads(text))):
                with self.subTest(name, how=how), self.assertRaises(pc.ParseError) as caught:
                    load()
                err = caught.exception
                self.assertIsInstance(err, ValueError)
                self.assertEqual((err.lineno, err.config.result), (lineno, reader_line))
                self.assertEqual(err.path, path if how == "load" else "<string>")
                self.assertEqual(str(err), f"{err.path}:{lineno}: {err.reason}")
                self.assertEqual(err.config.error, err.reason)
                if CHECK:
                    first = next(d for d in pc.check(path) if d.severity is pc.Severity.ERROR)
                    self.assertEqual((err.lineno, err.reason), (first.lineno, first.message))
                else:
                    self.assertEqual(err.reason, "faulty line")

    def test_faulty_file_keeps_what_was_read(self):
        with self.assertRaises(pc.ParseError) as caught:
            pc.loads(FAULTY[0][1] + "[register parameter]\nREG = 7\n")
        config = caught.exception.config
        self.assertEqual((config.camera.width, config.camera.height, config.camera.bit_width),
                         (640, 480, 8))
        self.assertEqual(config.params, (pc.ParamEntry(pc.Kind.REGISTER, 0, pc.Key.REG, (7,)),))

    def test_files_that_cannot_be_read(self):
        folder = os.path.dirname(self.write(""))
        cases = [(os.path.join(folder, "missing.conf"), FileNotFoundError, errno.ENOENT),
                 (folder, IsADirectoryError, errno.EISDIR)]
        for path, kind, code in cases:
            with self.subTest(kind.__name__), self.assertRaises(kind) as caught:
                pc.load(path)
            self.assertEqual((caught.exception.errno, caught.exception.filename), (code, path))
        for read in (pc.load, pc.check):  # and not the file x.conf
            with self.subTest(read.__name__), self.assertRaises(ValueError):
                read(os.path.join(folder, "x.conf\0.missing"))

    def test_faulty_fifo_is_read_once(self):
        # The reason of a faulty line comes from the bytes already read: a
        # FIFO opened a second time would wait for a writer that never comes.
        folder = os.path.dirname(self.write(""))
        fifo = os.path.join(folder, "faulty.fifo")
        os.mkfifo(fifo)
        name, text, lineno, _ = FAULTY[0]
        outcome = []

        def load():
            try:
                pc.load(fifo)
            except pc.ParseError as err:
                outcome.append((err.lineno, err.reason))

        reader = threading.Thread(target=load, daemon=True)
        reader.start()
        with open(fifo, "wb") as f:
            f.write(text.encode())
        reader.join(20)
        if reader.is_alive():  # let it go: a writer that ends at once
            with open(fifo, "wb"):
                pass
            reader.join(20)
            self.fail("load() of a FIFO waited for a second writer")
        self.assertEqual(len(outcome), 1, name)
        self.assertEqual(outcome[0][0], lineno)
        if CHECK:
            self.assertNotEqual(outcome[0][1], "faulty line")

    def test_unreadable_file_raises_permission_error(self):
        path = self.write("[camera parameter]\n")
        os.chmod(path, 0)
        os.chmod(os.path.dirname(path), 0o755)

        def outcome():
            try:
                pc.load(path)
                return "read"
            except PermissionError as e:
                return str(e.errno)

        if os.geteuid() != 0:
            self.assertEqual(outcome(), str(errno.EACCES))
            return
        # root reads anything: try as nobody then, in a child that has the
        # package loaded already, so that nobody need not reach the
        # interpreter (a build tree in a 0700 folder is out of its reach).
        reader, writer = os.pipe()
        pid = os.fork()
        if pid == 0:
            try:
                os.setgid(65534)
                os.setuid(65534)
                os.write(writer, outcome().encode())
            finally:
                os._exit(0)
        os.close(writer)
        with os.fdopen(reader) as f:
            seen = f.read()
        os.waitpid(pid, 0)
        self.assertEqual(seen, str(errno.EACCES))


class RecordTest(unittest.TestCase):
    def test_repr_shows_hex_where_the_dump_does_and_evaluates_back(self):
        config = pc.load(SAMPLE)
        entry = config.params[8]
        line = ", line=32" if CHECK else ""  # known through the check library
        self.assertEqual(repr(entry), "ParamEntry(kind=Kind.BOARD, variant=0x03, key=Key.REG, "
                                      f"values=(0x0020, 0x3004, 0x0003){line})")
        names = {"ParamEntry": pc.ParamEntry, "Kind": pc.Kind, "Key": pc.Key,
                 "CameraSettings": pc.CameraSettings}
        for value in (entry, config.params[1], config.camera):
            with self.subTest(value):
                self.assertEqual(eval(repr(value), names), value)
        self.assertIn("format=0x12C,", repr(config.camera))

    def test_records_are_frozen(self):
        config = pc.load(SAMPLE)
        for obj, attr in ((config, "camera"), (config.camera, "width"),
                          (config.params[0], "values"), (config.controls[0], "default")):
            with self.subTest(type(obj).__name__), \
                    self.assertRaises(dataclasses.FrozenInstanceError):
                setattr(obj, attr, None)

    def test_to_dict_is_the_programs_json(self):
        for path in [SAMPLE] + DATA:
            with self.subTest(os.path.basename(path)):
                status, out, _ = program("json", path)
                expected = json.loads(out)
                try:
                    got = pc.load(path).to_dict()
                except pc.ParseError as err:
                    got = err.config.to_dict()
                # The reason of a fault is the checker's sentence: it need
                # not be the program's.
                self.assertEqual(bool(got.pop("error")), bool(expected.pop("error")))
                if not CHECK:  # the lines come from the check library
                    for item in expected["entries"] + expected["controls"]:
                        item["line"] = None
                self.assertEqual(got, expected)
                self.assertEqual(status, 1 if got["result"] else 0)

    def test_to_dict_replaces_undecodable_bytes_as_the_program_does(self):
        data = (b"[camera parameter]\nTYPE = caf\xe9 \xff\xfe \xc3\xa9t\xc3\xa9\n"
                b"[control parameter]\nCTRL_NAME = \x80gain\xc3\n"
                b"======CODE_BLOCK_START======\nx = \xf0\x9f\x93\xb7 \xe2\x82\n"
                b"======CODE_BLOCK_END======\n")
        self.assertEqual(pc.loads(data, name="-").to_dict(),
                         json.loads(program("json", "-", stdin=data)[1]))


def explained_sources(path):
    """What `pexilon-config explain` says made each entry and control of the
    file: ({N: the line of "params[N] = ..."}, {N: the line of the header
    that opened controls[N]})."""
    entries, controls = {}, {}
    for line in program("explain", path)[1].split(b"\n"):
        if not line:
            continue
        # the editor line in 5 columns, two blanks, 40 bytes of source, two blanks
        number, account = int(line[:5]), line[49:].decode("utf-8", "replace")
        made = re.search(r"(?:^|: )params\[(\d+)\] = ", account)
        if made:
            entries.setdefault(int(made[1]), number)
        opened = re.match(r"section \[control parameter\] \(0x04000000\): controls\[(\d+)\]",
                          account)
        if opened:
            controls.setdefault(int(opened[1]), number)
    return entries, controls


def load_anyway(path):
    try:
        return pc.load(path)
    except pc.ParseError as err:
        return err.config


class SourceLineTest(Files):
    def test_lines_are_those_explain_names(self):
        if not CHECK:
            self.skipTest("the lines come from the check library")
        paths = [SAMPLE] + DATA + sorted(glob.glob(os.path.join(SOURCE, "tests", "check",
                                                                "*.conf")))
        for path in paths:
            with self.subTest(os.path.basename(path)):
                config = load_anyway(path)
                entries, controls = explained_sources(path)
                self.assertEqual(config.entry_lines,
                                 tuple(entries.get(i) for i in range(len(config.params))))
                self.assertEqual(config.control_lines,
                                 tuple(controls.get(i) for i in range(len(config.controls))))
                self.assertEqual((len(entries), len(controls)),
                                 (len(config.params), len(config.controls)))
                self.assertEqual([e.line for e in config.params], list(config.entry_lines))

    def test_lines_of_a_text_and_without_the_check_library(self):
        config = pc.loads(FULL)
        if CHECK:
            self.assertEqual(config.entry_lines, (13, 15, 16, 17, 19))  # 16 continues REG
            self.assertEqual(config.control_lines, (21, 32))
        without = pc.loads(FULL, check_library=os.path.join(SOURCE, "no-such-library.so"))
        self.assertEqual(without.entry_lines, (None,) * 5)
        self.assertEqual(without.control_lines, (None, None))
        # where a record came from does not change what it holds
        self.assertEqual(without, config)
        self.assertEqual(without.params[0].line, None)

    def test_section_and_header(self):
        entry = pc.loads(FULL).params[4]
        self.assertEqual((entry.section, entry.header),
                         ("register parameter||dev3||inf3", "[register parameter][dev3][inf3]"))
        self.assertEqual({k: entry.to_dict()[k] for k in ("section", "header")},
                         {"section": entry.section, "header": entry.header})
        unknown = pc.ParamEntry.from_type(0x09090001, (1,))
        self.assertEqual((unknown.section, unknown.header), (None, None))


class AppendTest(Files):
    EXTRA = ("; overrides\n[camera parameter]\nSIZE = 640, 480\n"
             "[register parameter]\nREG = 0x10, 0x20\n"
             "[control parameter]\nCTRL_NAME = extra\n")

    def test_a_second_file_adds_to_the_first(self):
        first = pc.loads(FULL, name="first.conf")
        path = self.write(self.EXTRA, "overrides.conf")
        both = first.append(path)
        self.assertIsInstance(both, pc.Config)
        # camera fields the file names are overwritten, the others kept
        self.assertEqual(both.camera, dataclasses.replace(first.camera, width=640, height=480))
        self.assertEqual(both.params,
                         first.params + (pc.ParamEntry(pc.Kind.REGISTER, 0, pc.Key.REG,
                                                       (0x10, 0x20)),))
        self.assertEqual(both.controls, first.controls + (pc.Control(ctrl_name="extra"),))
        self.assertEqual((both.path, both.result, both.error), (path, 0, None))
        # each entry keeps the line of its own file
        if CHECK:
            self.assertEqual(both.entry_lines, first.entry_lines + (5,))
            self.assertEqual(both.control_lines, first.control_lines + (6,))
        # the first record is left as it was
        self.assertEqual(first, pc.loads(FULL, name="first.conf"))
        self.assertEqual(first.path, "first.conf")

    def test_appends_past_the_room_the_library_left(self):
        # 250 entries leave room for 300: the library writes into that room,
        # then grows the list; codes and texts come back as they were.
        table = "[register parameter]\n" + "".join(f"REG = {i}, 1\n" for i in range(250))
        first = pc.loads(table + "[control parameter]\nCTRL_NAME = c\n"
                         "======CODE_BLOCK_START======\nop\n======CODE_BLOCK_END======\n")
        more = self.write("[register parameter]\n" +
                          "".join(f"DELAY = {i}\n" for i in range(120)))
        both = first.append(more)
        self.assertEqual([e.values[0] for e in both.params], list(range(250)) + list(range(120)))
        self.assertEqual([e.key for e in both.params[250:]], [pc.Key.DELAY] * 120)
        self.assertEqual(both.controls, first.controls)
        again = both.append(more)
        self.assertEqual(len(again.params), 490)

    def test_faulty_and_missing_files(self):
        first = pc.loads(FULL)
        path = self.write("[camera parameter]\nBIT_WIDTH 8\nTRANS_LVL = 7\n")
        with self.assertRaises(pc.ParseError) as caught:
            first.append(path)
        err = caught.exception
        self.assertEqual((err.lineno, err.path, err.config.result), (2, path, 2))
        # the rest of the file was read into the record all the same
        self.assertEqual(err.config.camera, dataclasses.replace(first.camera, trans_lvl=7))
        self.assertEqual(err.config.params, first.params)
        with self.assertRaises(FileNotFoundError):
            first.append(os.path.join(os.path.dirname(path), "missing.conf"))


class LibraryTest(unittest.TestCase):
    def lookup(self, extra_env, code):
        env = {k: v for k, v in ENV.items() if not k.startswith("PEXILON_")}
        env.update(extra_env)
        return run([sys.executable, "-c", code], env=env)

    def test_lookup_order(self):
        bundled = os.path.join(os.path.dirname(pc.__file__), "_lib",
                               "libpexilon_config_parser.so.1")
        built = ENV["PEXILON_TEST_PARSER"]
        soname = "libpexilon_config_parser.so.1"
        without_copy = "import pexilon_config._library as l; l._BUNDLE_DIR = '/nonexistent'; "
        cases = [  # (environment, code, exit status, output or part of the error)
            ({}, "import pexilon_config._parse as p; print(p.Parser().path)", 0, bundled),
            ({"PEXILON_CONFIG_LIBRARY": built},
             "import pexilon_config._parse as p; print(p.Parser().path)", 0, built),
            ({}, f"import pexilon_config as c; c.load('x', library={built!r} + '.no')", 1,
             f"the path given: {built}.no:"),
            ({"PEXILON_CONFIG_LIBRARY": "/no/lib.so"}, "import pexilon_config as c; c.load('x')",
             1, "PEXILON_CONFIG_LIBRARY: /no/lib.so:"),
            ({"LD_LIBRARY_PATH": os.path.dirname(built)},
             without_copy + f"print(l.open_library(None, 'UNSET', {soname!r})[1])", 0, soname),
            ({}, without_copy + f"l.open_library(None, 'UNSET', {soname!r})", 1,
             f"the system loader: {soname}:"),
        ]
        for env, code, status, text in cases:
            with self.subTest(env=env, code=code):
                got_status, out, err = self.lookup(env, code)
                self.assertEqual(got_status, status, err)
                self.assertIn(text, (out or err).decode())


@unittest.skipUnless(CHECK, "built without libpexilon_config_check")
class CheckTest(Files):
    def test_every_diagnostic_with_its_place(self):
        path = self.write("[camera parameter]\nWIDHT = 1440\nno separator\nSIZE = 1, 2\n"
                          "SIZE = 3, 4\n")
        found = pc.check(path)
        self.assertEqual([(d.lineno, d.severity, d.name) for d in found], [
            (2, pc.Severity.WARNING, "unknown-key"),
            (3, pc.Severity.ERROR, "no-separator"),
            (5, pc.Severity.WARNING, "duplicate-key"),
        ])
        self.assertEqual((found[0].column, found[0].end_column), (1, 6))
        self.assertEqual([n.lineno for n in found[2].notes], [4])
        self.assertTrue(all(d.message for d in found))

    def test_a_text_checks_as_its_file_does(self):
        for text in ("[camera parameter]\nWIDHT = 1440\nno separator\n",
                     b"[camera parameter]\n; a\0b\nBIT_WIDHT = 10\n", ""):
            with self.subTest(text):
                self.assertEqual(pc.checks(text), pc.check(self.write(text)))

    def test_clean_file_and_missing_file(self):
        self.assertEqual(pc.check(SAMPLE), [])
        with self.assertRaises(FileNotFoundError):
            pc.check(os.path.join(os.path.dirname(SAMPLE), "missing.conf"))


class FormatTest(unittest.TestCase):
    MESSY = "\n[camera parameter]\nSIZE:640,0x1e0   ; size\nTYPE =  a,b\n[register parameter]\nREG=1\n"

    def test_layout_and_options(self):
        self.assertEqual(pc.format(self.MESSY),
                         "[camera parameter]\nSIZE = 640, 0x1E0 ; size\nTYPE = a,b\n\n"
                         "[register parameter]\nREG = 1\n")
        self.assertIn("0x1e0", pc.format(self.MESSY, hex_case="keep"))
        self.assertIn("SIZE = 640", pc.format(self.MESSY, align=True))
        self.assertIn("TYPE = a,b", pc.format(self.MESSY, align=True))
        with self.assertRaises(ValueError):
            pc.format(self.MESSY, hex_case="title")

    def test_a_file_formats_as_its_text_does(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", folder]))
        path = os.path.join(folder, "messy.conf")
        with open(path, "wb") as f:
            f.write(self.MESSY.encode())
        self.assertEqual(pc.format_file(path), pc.format(self.MESSY).encode())
        self.assertEqual(pc.format_file(path, hex_case="lower"),
                         pc.format(self.MESSY.encode(), hex_case="lower"))
        with self.assertRaises(FileNotFoundError):
            pc.format_file(path + ".missing")

    def test_bytes_in_bytes_out_and_agrees_with_the_program(self):
        data = self.MESSY.encode() + b"; \xff\r\n"
        formatted = pc.format(data)
        self.assertIsInstance(formatted, bytes)
        self.assertEqual(formatted, program("fmt", "-", stdin=data)[1])
        self.assertEqual(pc.format(formatted), formatted)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


@unittest.skipUnless(CHECK, "built without libpexilon_config_check")
class DocumentTest(Files):
    def test_attribute_and_item_edits_are_the_programs(self):
        doc = pc.Document.load(SAMPLE)
        doc.camera.width = 1920
        doc.controls["Exposure"].max_value = 1550
        doc.controls[2].code = "write(0x0008, value)\n"
        status, out, err = program("set", SAMPLE, "camera.width=1920",
                                   "controls[Exposure].max_value=1550",
                                   "controls[2].code=write(0x0008, value)\n")
        self.assertEqual((status, doc.data), (0, out), err)
        self.assertEqual((doc.camera.width, doc.camera.height), (1920, 3040))
        self.assertEqual(doc.config.controls[0].max_value, 1550)
        self.assertEqual(doc.controls[-1].ctrl_name, "Black level offset")

    def test_editors_name_every_field_of_the_record(self):
        # The editors spell the fields out for the type checker: they must
        # stay those of the records (a source line is where a value came
        # from, not a value to set).
        for editor, record in ((pc.CameraEditor, pc.CameraSettings), (pc.ControlEditor, pc.Control)):
            named = [n for n, v in vars(editor).items() if type(v).__name__ == "_Field"]
            self.assertEqual(named, [f.name for f in dataclasses.fields(record) if f.name != "line"])

    def test_list_edits_take_their_place_and_undo(self):
        doc = pc.Document.loads(read_bytes(SAMPLE))
        old, count = doc.data, len(doc.params)
        doc.params.insert(3, "REG=0x12,0x0100,0x01")
        self.assertEqual(doc.data, program("insert", "--after=2", SAMPLE, "REG=0x12,0x0100,0x01")[1])
        self.assertEqual(doc.params[3].values, (0x12, 0x0100, 0x01))
        self.assertEqual(doc.params[3].entry.section, doc.params[2].entry.section)
        delay = pc.ParamEntry(pc.Kind.BOARD, 2, pc.Key.DELAY, (7,))
        doc.params.append(delay)                       # at the end of its own section
        added = [i for i, e in enumerate(doc.config.params) if (e.type, e.values) == (delay.type, (7,))]
        self.assertEqual(added, [7])
        with self.assertRaises(pc.EditError) as refused:
            doc.params.insert(0, delay)                # params[0] is in another section
        self.assertIn("would be in the section 'board parameter'", refused.exception.reason)
        doc.params[0].values = (0, 7, 6)
        self.assertEqual(doc.config.params[0].values, (0, 7, 6))
        self.assertIn(b"VRCMD = 0x00, 0x07, 0x06\n", doc.data)
        zoom = doc.controls.append("Zoom")
        zoom.max_value = 10
        self.assertIn("Zoom", doc.controls)
        del doc.controls["Zoom"]
        del doc.params[3]
        del doc.params[6]
        doc.params[0].values = "0x00, 0x07, 0x05"
        # The blank line append put before the control's header stays.
        self.assertEqual((doc.data, len(doc.params)), (old + b"\n", count))

    def test_refusals_raise_with_the_reason_and_change_nothing(self):
        doc = pc.Document.load(SAMPLE)
        rows = [
            (lambda: setattr(doc.camera, "bit_width", 300), "bit_width holds 0 to 255, not 300"),
            (lambda: setattr(doc.camera, "type", "t" * 51), "TYPE holds at most 50 bytes, not 51"),
            (lambda: setattr(doc.controls[0], "reserved", 1), "no key of a file sets reserved"),
            (lambda: doc.set("camera.depth", 1), "no field is named 'depth'"),
            (lambda: doc.params.append("REG=1", section="[camera parameter]"),
             "'[camera parameter]' is not a board or register section"),
            (lambda: doc.controls.append("n\0"), "CTRL_NAME cannot hold a NUL byte"),
            (lambda: setattr(doc.params[0], "values", range(17)), "at most 16 numbers, not 17"),
        ]
        for edit, reason in rows:
            with self.subTest(reason):
                with self.assertRaises(pc.EditError) as refused:
                    edit()
                self.assertIn(reason, str(refused.exception))
                self.assertEqual(doc.data, read_bytes(SAMPLE))
        with self.assertRaises(IndexError):
            del doc.params[99]
        with self.assertRaises(KeyError):
            doc.controls["Zoom"]
        with self.assertRaises(AttributeError):
            doc.camera.widht = 1

    def test_save_is_atomic_and_keeps_the_mode(self):
        path = self.write(read_bytes(SAMPLE))
        os.chmod(path, 0o640)
        doc = pc.Document.load(path)
        doc.camera.i2c_addr = 0x36
        doc.save()
        self.assertEqual(pc.load(path).camera.i2c_addr, 0x36)
        self.assertEqual(os.stat(path).st_mode & 0o7777, 0o640)
        self.assertEqual(os.listdir(os.path.dirname(path)), ["x.conf"])
        with self.assertRaises(FileNotFoundError):
            doc.save(os.path.join(os.path.dirname(path), "missing", "x.conf"))
        with self.assertRaises(pc.EditError):
            doc.save(os.path.dirname(path))            # not a regular file
        with self.assertRaises(ValueError):
            pc.Document.loads("").save()

    def test_save_refuses_a_file_changed_since_it_was_loaded(self):
        def rewrite(path):
            with open(path, "r+b") as f:                # in place, as many bytes
                f.write(b"#")

        def replace(path):
            with open(path + ".new", "wb") as f:
                f.write(read_bytes(path))
            os.rename(path + ".new", path)

        rows = [
            (rewrite, "it changed since it was read, and saving would lose that change"),
            (replace, "another file took its place since it was read, and saving would lose it"),
            (os.remove, "it was removed since it was read"),
        ]
        for other, reason in rows:
            with self.subTest(reason):
                path = self.write(read_bytes(SAMPLE))
                doc = pc.Document.load(path)
                doc.camera.i2c_addr = 0x36
                other(path)
                left = read_bytes(path) if os.path.exists(path) else None
                with self.assertRaises(pc.EditError) as refused:
                    doc.save()
                self.assertEqual(refused.exception.reason, reason)
                self.assertEqual(read_bytes(path) if os.path.exists(path) else None, left)
                self.assertEqual(len(os.listdir(os.path.dirname(path))), 0 if left is None else 1)
        path = self.write(read_bytes(SAMPLE))
        doc = pc.Document.load(path)
        for addr in (0x36, 0x37):                       # each save checked against the last
            doc.camera.i2c_addr = addr
            doc.save()
        self.assertEqual(pc.load(path).camera.i2c_addr, 0x37)
        rewrite(path)
        pc.Document.loads(doc.data).save(path)          # a text's document is not checked
        self.assertEqual(read_bytes(path), doc.data)
        with self.assertRaises(FileNotFoundError):
            pc.Document.load(path + ".missing")

    def test_dumps_is_from_json_and_reads_back(self):
        config = pc.load(SAMPLE)
        _, json_text, _ = program("json", SAMPLE)
        status, written, err = program("from-json", "-", stdin=json_text)
        self.assertEqual((status, pc.dumps(config).encode()), (0, written), err)
        again = pc.loads(pc.dumps(config))
        self.assertEqual((again.camera, again.params, again.controls),
                         (config.camera, config.params, config.controls))
        path = self.write("")
        pc.dump(config, path)
        self.assertEqual(read_bytes(path), written)
        rows = [
            (dataclasses.replace(config, camera=dataclasses.replace(config.camera, width=-1)),
             "camera.width holds 0 to 4294967295, not -1"),
            (pc.Config(controls=(pc.Control(reserved=1),)),
             "controls[0].reserved is not 0, and no key of a file sets it"),
            (pc.Config(controls=(pc.Control(code="no line end"),)), "does not end with a line end"),
            (pc.Config(params=(pc.ParamEntry(pc.Kind.REGISTER, 0, pc.Key.REG, (1,) * 17),)),
             "entries[0] holds 17 values, more than 16"),
        ]
        for record, reason in rows:
            with self.subTest(reason):
                with self.assertRaises(pc.EditError) as refused:
                    pc.dumps(record)
                self.assertIn(reason, refused.exception.reason)

    def test_a_large_file_loads_quickly(self):
        lines = ["[register parameter]"] + [f"REG = 0x{i:04X}, 0x{i & 0xFF:02X}"
                                            for i in range(9999)]
        text = "\n".join(lines) + "\n"
        started = time.perf_counter()
        doc = pc.Document.loads(text)
        elapsed = time.perf_counter() - started
        self.assertEqual(len(doc.params), 9999)
        # Far above the time measured (about 20 ms), far below what a load
        # that grows with the square of the lines would take.
        self.assertLess(elapsed, 0.5)


class CommandTest(Files):
    def test_json_and_dump_agree_with_the_program(self):
        faulty = self.write(FAULTY[3][1])
        for args in (["json", SAMPLE], ["json", SAMPLE, faulty, "/nonexistent.conf"]):
            with self.subTest(args):
                ours, theirs = module(*args), program(*args)
                self.assertEqual(ours[0], theirs[0], ours[2])
                got, expected = json.loads(ours[1]), json.loads(theirs[1])
                if len(args) > 2:
                    for doc in (got, expected):
                        doc[1]["error"] = bool(doc[1]["error"])  # the checker's sentence
                        # the unread file: its error; no record, or an empty one
                        doc[2] = [doc[2][k] for k in ("file", "result", "error")]
                    self.assertEqual(ours[2], f"{args[3]}: error: cannot open: "
                                              f"{os.strerror(errno.ENOENT)}\n".encode())
                self.assertEqual(got, expected)
        # The dump in file order, as the program's reaches a shared terminal;
        # split, the numbers of the entries alone on standard output.
        merged = subprocess.run(f'"{ENV["PEXILON_TEST_PROGRAM"]}" dump "{SAMPLE}" 2>&1',
                                shell=True, capture_output=True).stdout
        self.assertEqual(module("dump", SAMPLE), (0, merged, b""))
        status, out, err = module("dump", "--split-streams", SAMPLE)
        self.assertEqual(out, b"".join(line for line in merged.splitlines(keepends=True)
                                       if line.startswith(b"0x")))
        self.assertEqual(len(out) + len(err), len(merged))

    def test_exit_status_and_first_line(self):
        good = self.write("[register parameter]\nREG = 0x10, 0x20\n")
        faulty = self.write(FAULTY[1][1])
        missing = good + ".missing"
        cases = [  # (arguments, standard input, exit status, start of a line, "" for none)
            (["check", good], b"", 0, ""),
            (["check", faulty], b"", 1, f"{faulty}:3:"),
            (["check", "-"], FAULTY[1][1].encode(), 1, "<stdin>:3:" if CHECK else "-:3:"),
            (["check", missing, faulty], b"", 2, f"{faulty}:3:"),
            (["check", "--werror", "-Wno-unknown-key", good], b"", 0, ""),
            (["dump", "--split-streams", good], b"", 0, "0x0010 0x0020 \n"),
            (["json", "--", missing], b"", 2, '  "file": '),
            (["--version"], b"", 0, f"pexilon_config {pc.__version__}\n"),
            (["check", "--help"], b"", 0, "Usage: python -m pexilon_config "),
        ]
        for args, stdin, status, start in cases:
            with self.subTest(args):
                got_status, out, err = module(*args, stdin=stdin)
                self.assertEqual(got_status, status, err)
                lines = out.decode().splitlines(keepends=True)
                self.assertTrue(any(line.startswith(start) for line in lines) if start
                                else not lines, out)

    @unittest.skipUnless(CHECK, "built without libpexilon_config_check")
    def test_check_agrees_with_the_program(self):
        # the TYPE is cut after UTF-8 text: the columns shown count characters
        path = self.write("[camera parameter]\nWIDHT = 1\nSIZE = 1\n  BIT_WIDTH = 8\n"
                          "TYPE = " + "caméra " * 8 + "\n"
                          "[register paramter]\nREG = 0x12G4\nno separator\n")
        for args in (["check", "--format=gcc", path, SAMPLE],
                     ["check", "--format=gcc", "-Wno-unknown-key", "--werror", path]):
            with self.subTest(args):
                self.assertEqual(module(*args), program(*args))

    @unittest.skipUnless(CHECK, "built without libpexilon_config_check")
    def test_fixes_agree_with_the_program(self):
        path = self.write("[camera parameter]\nBIT_WIDHT = 10\nTYPE = x\n  SIZE = 640, 480\n"
                          "[register parameter]\nREG = 1 2\nDELAY = 5ms\n"
                          "[register paramter]\nREG = 1, 2\n")
        got = [(f.lineno, f.column, f.end_column, f.replacement)
               for d in pc.check(path) for f in d.fixes]
        out = program("check", "--format=json", path)[1]
        want = [(f["start"]["line"], f["start"]["byte-column"], f["next"]["byte-column"],
                 f["string"])
                for d in json.loads(out) for f in d.get("fixits", [])]
        self.assertEqual(got, want)
        self.assertEqual(len(got), 5)
        self.assertTrue(all(f.change for d in pc.check(path) for f in d.fixes))

    def test_fmt_agrees_with_the_program(self):
        messy = self.write(FormatTest.MESSY)
        for args in (["fmt", SAMPLE], ["fmt", messy], ["fmt", "--check", SAMPLE, messy]):
            with self.subTest(args):
                ours, theirs = module(*args), program(*args)
                self.assertEqual(ours[:2], theirs[:2], ours[2])
        self.assertEqual(module("fmt", "--check", messy)[0], 1)
        self.assertEqual(module("fmt", "-", stdin=b"[camera parameter]\nSIZE:1,2\n")[1],
                         b"[camera parameter]\nSIZE = 1, 2\n")

    def test_a_closed_pipe_ends_it_quietly(self):
        many = self.write("[camera parameter]\nBIT_WIDHT = 1\n[register parameter]\n"
                          "REG = 0x0100, 0x01\n" * 20000)
        for command in ("check", "json", "dump"):
            with self.subTest(command):
                done = subprocess.run(f'{sys.executable} -m pexilon_config {command} "{many}" '
                                      f'| head -c 1 >/dev/null; echo "${{PIPESTATUS[0]}}" >&2',
                                      shell=True, executable="/bin/bash", capture_output=True)
                self.assertEqual(done.stderr.decode().strip(), "141")

    def test_the_wheels_command_is_the_program(self):
        carried = os.path.join(os.path.dirname(pc.__file__), "_bin", "pexilon-config")
        command = os.path.join(os.path.dirname(sys.executable), "pexilon-config")
        if not os.path.exists(carried):
            self.assertFalse(os.path.exists(command), "a command without the program")
            self.skipTest("this installation carries no program (the wheel does)")
        messy = self.write(FormatTest.MESSY)
        for args in (["--version"], ["check", "--format=json", SAMPLE, messy],
                     ["fmt", "--diff", messy], ["explain", SAMPLE]):
            with self.subTest(args):
                self.assertEqual(run([command, *args], b""), program(*args))

    def test_usage_errors(self):
        for args in ([], ["frobnicate"], ["--bogus"], ["check"], ["json", "--bogus", SAMPLE],
                     ["check", "-", "-"], ["dump", "--format=gcc", SAMPLE]):
            with self.subTest(args):
                status, out, err = module(*args)
                self.assertEqual((status, out), (2, b""))
                self.assertIn(b"--help", err)

    def test_write_error_exits_2(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run([sys.executable, "-m", "pexilon_config", "json", SAMPLE],
                                  stdout=full, stderr=subprocess.PIPE)
        self.assertEqual(done.returncode, 2)
        self.assertIn(b"write error", done.stderr)


if __name__ == "__main__":
    unittest.main()
