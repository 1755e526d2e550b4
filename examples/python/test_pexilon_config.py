"""Tests of pexilon_config.py against the built library.

Environment:
  PEXILON_CONFIG_PARSER_LIB  path of libpexilon_config_parser.so (required)
  PEXILON_LAYOUT_PROBE       path of the layout_probe program (layout tests)

Run: python3 -m unittest -v test_pexilon_config
"""

import ctypes
import errno
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pexilon_config as pc  # noqa: E402

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


class TempFiles(unittest.TestCase):
    def write(self, text, encoding="utf-8"):
        fd, path = tempfile.mkstemp(suffix=".conf")
        with os.fdopen(fd, "wb") as f:
            f.write(text.encode(encoding) if isinstance(text, str) else text)
        self.addCleanup(os.unlink, path)
        return path


class LayoutTest(unittest.TestCase):
    """The ctypes mapping must match the C compiler's layout of the header."""

    STRUCTS = {"camera_settings": pc.CCameraSettings, "param_entry": pc.CParamEntry,
               "control_entry": pc.CControlEntry, "parsed_config": pc.CParsedConfig}

    def test_every_field_matches_the_c_layout(self):
        probe = os.environ.get("PEXILON_LAYOUT_PROBE")
        if not probe:
            self.skipTest("PEXILON_LAYOUT_PROBE not set")
        out = subprocess.run([probe], check=True, capture_output=True, text=True).stdout
        seen = {name: [] for name in self.STRUCTS}
        for line in out.splitlines():
            name, first, second = line.split()
            first, second = int(first), int(second)
            struct, _, fname = name.partition(".")
            cls = self.STRUCTS[struct]
            with self.subTest(name):
                if fname:
                    seen[struct].append(fname)
                    desc = getattr(cls, fname)
                    self.assertEqual((desc.offset, desc.size), (first, second))
                else:
                    self.assertEqual((ctypes.sizeof(cls), ctypes.alignment(cls)),
                                     (first, second))
        for struct, cls in self.STRUCTS.items():
            with self.subTest(struct):
                self.assertEqual([f[0] for f in cls._fields_], seen[struct])


class ParseTest(TempFiles):
    @classmethod
    def setUpClass(cls):
        cls.lib = pc.Library(os.environ.get("PEXILON_CONFIG_PARSER_LIB"))

    def test_full_file(self):
        cfg = self.lib.parse(self.write(FULL))
        self.assertEqual(cfg.camera, pc.CameraSettings(
            cfg_mode=2, type="IMX-PEX \u00b5cam", width=1920, height=1080,
            bit_width=10, format=258, i2c_mode=1, i2c_addr=0x1A, trans_lvl=64))
        self.assertEqual(cfg.entries, [
            pc.ParamEntry(0x02020002, [1, 2]),
            pc.ParamEntry(0x03000001, [0x3000, 0x12]),
            pc.ParamEntry(0x03000001, [0x3001, 0x34]),
            pc.ParamEntry(0x03000003, [10]),
            pc.ParamEntry(0x03030001, [0xFFFFFFFF]),
        ])
        self.assertEqual((cfg.entries[0].kind, cfg.entries[0].variant, cfg.entries[0].key),
                         (0x02, 0x02, 2))
        self.assertEqual(cfg.controls, [
            pc.Control(min_value=-2**63, max_value=2**63 - 1, step=1, default=-5,
                       ctrl_name="exposure", func_name="set_exposure",
                       code="  write(0x3000, value)\n\n"),
            pc.Control(ctrl_name="gain"),
        ])

    def test_text_fields_at_their_limits(self):
        # TYPE fills its 50 bytes with no terminator; names keep 127 characters.
        text = ("[camera parameter]\nTYPE = %s\n[control parameter]\n"
                "CTRL_NAME = %s\nFUNC_NAME = %s\n" % ("t" * 60, "c" * 150, "f" * 127))
        cfg = self.lib.parse(self.write(text))
        self.assertEqual(cfg.camera.type, "t" * 50)
        self.assertEqual(cfg.controls[0].ctrl_name, "c" * 127)
        self.assertEqual(cfg.controls[0].func_name, "f" * 127)

    def test_many_entries_and_controls_keep_their_order(self):
        # Past the first allocation of params, and several controls in a row:
        # reading them back checks the array strides of the mapping.
        lines = ["[register parameter]"] + [f"REG = {i}, {i * 2}" for i in range(250)]
        for i in range(5):
            lines += ["[control parameter]", f"DEF = {i - 2}", f"CTRL_NAME = c{i}",
                      "======CODE_BLOCK_START======", f"op{i}", "======CODE_BLOCK_END======"]
        cfg = self.lib.parse(self.write("\n".join(lines) + "\n"))
        self.assertEqual([e.values for e in cfg.entries], [[i, i * 2] for i in range(250)])
        self.assertEqual([(c.default, c.ctrl_name, c.code) for c in cfg.controls],
                         [(i - 2, f"c{i}", f"op{i}\n") for i in range(5)])

    def test_empty_file_gives_an_empty_config(self):
        self.assertEqual(self.lib.parse(self.write("")), pc.Config())

    def test_faulty_line_raises_with_the_data_read(self):
        path = self.write("[camera parameter]\nSIZE = 640, 480\n"
                          "no separator here\nBIT_WIDTH = 8\n"
                          "[register parameter]\nREG = 7\n")
        with self.assertRaises(pc.ParseError) as caught:
            self.lib.parse(path)
        err = caught.exception
        self.assertEqual((err.line, err.path), (3, path))
        self.assertEqual((err.config.camera.width, err.config.camera.height,
                          err.config.camera.bit_width), (640, 480, 8))
        self.assertEqual(err.config.entries, [pc.ParamEntry(0x03000001, [7])])

    def test_unterminated_code_block_reports_its_line(self):
        path = self.write("[control parameter]\nCTRL_NAME = x\n"
                          "======CODE_BLOCK_START======\nop\n")
        with self.assertRaises(pc.ParseError) as caught:
            self.lib.parse(path)
        self.assertEqual(caught.exception.line, 4)
        self.assertEqual(caught.exception.config.controls, [pc.Control(ctrl_name="x")])

    def test_missing_file_raises_oserror(self):
        missing = os.path.join(tempfile.gettempdir(), "pexilon-no-such-dir", "x.conf")
        with self.assertRaises(FileNotFoundError) as caught:
            self.lib.parse(missing)
        self.assertEqual((caught.exception.errno, caught.exception.filename),
                         (errno.ENOENT, missing))

    def test_path_types(self):
        path = self.write("[camera parameter]\nCFG_MODE = 9\n")
        for p in (path, os.fsencode(path)):
            with self.subTest(type(p).__name__):
                self.assertEqual(self.lib.parse(p).camera.cfg_mode, 9)


class LoadingTest(TempFiles):
    def test_library_from_environment(self):
        lib_path = os.environ["PEXILON_CONFIG_PARSER_LIB"]
        self.assertEqual(pc.Library().path, lib_path)
        cfg = pc.parse(self.write("[camera parameter]\nSIZE = 4, 3\n"))
        self.assertEqual((cfg.camera.width, cfg.camera.height), (4, 3))

    def test_missing_library_raises_oserror(self):
        with self.assertRaises(OSError):
            pc.Library("/nonexistent/libpexilon_config_parser.so.1")

    def test_command_line_summary(self):
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pexilon_config.py")
        run = subprocess.run([sys.executable, script, self.write(FULL),
                              os.environ["PEXILON_CONFIG_PARSER_LIB"]],
                             capture_output=True, encoding="utf-8",
                             env=dict(os.environ, PYTHONIOENCODING="utf-8"))
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, "camera: IMX-PEX \u00b5cam 1920x1080\n"
                                     "entries: 5\ncontrols: exposure, gain\n")


if __name__ == "__main__":
    unittest.main()
