#!/usr/bin/env python3
"""check --fix, --fix=NAME,... and --fix-dry-run.

    fix_cases.py --program PATH --corpus DIR...

A table of lines and what --fix makes of them (None: no fix-it is certain,
so the file stays as it was); then, over every .conf of this directory and
of tests/data and every file of the corpus folders (fuzz_fixits holds each
fix-it to the whole rule, line by line and field by field, on the same
files): made together, the fix-its add no error
and no new kind of warning, remove the diagnostics that carried them, and a
second --fix changes nothing; made one at a time, each changes the record as
its words say. Last, a write that is refused or cut short leaves the file
byte for byte.
"""
import argparse
import json
import os
import pathlib
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

HERE = pathlib.Path(__file__).resolve().parent
PROGRAM = None
CORPUS = []

CAM = b"[camera parameter]\n"
REGS = b"[register parameter]\n"

# (what it is about, the file, the file after --fix or None for unchanged)
FIXES = [
    ("misspelt key", CAM + b"BIT_WIDHT = 10\n", CAM + b"BIT_WIDTH = 10\n"),
    ("key in the wrong case", CAM + b"bit_width = 10\n", CAM + b"BIT_WIDTH = 10\n"),
    ("misspelt section", b"[register paramter]\nREG = 1, 2\n", REGS + b"REG = 1, 2\n"),
    ("section, two groups", b"[board paramter][dev2]\nREG = 1, 2\n",
     b"[board parameter][dev2]\nREG = 1, 2\n"),
    ("unit after a number", CAM + b"BIT_WIDTH = 10bit\n", CAM + b"BIT_WIDTH = 10\n"),
    ("unit in a list", REGS + b"DELAY = 5ms\n", REGS + b"DELAY = 5\n"),
    ("unit after white space", REGS + b"DELAY = 5 ms\n", None),
    ("missing comma", REGS + b"REG = 0x3000 0x01\n", REGS + b"REG = 0x3000, 0x01\n"),
    ("missing commas, tabs", REGS + b"REG = 1\t2  3\n", REGS + b"REG = 1, 2, 3\n"),
    ("missing comma in SIZE", CAM + b"SIZE = 640 480\n", CAM + b"SIZE = 640, 480\n"),
    ("two fixes on one line", REGS + b"REG = 1 2, 3 4\n", REGS + b"REG = 1, 2, 3, 4\n"),
    ("fixes that clash", b"[camera paramter]\nBIT_WIDTH = 8\n[camera paramter]\nBIT_WIDTH = 9\n",
     b"[camera parameter]\nBIT_WIDTH = 8\n[camera paramter]\nBIT_WIDTH = 9\n"),
    # Made alone, the rename takes the indented lines below for entries of
    # its own, more than it announces; made with the fix of the fault, whose
    # removal leaves no record to compare, it must not pass for sound.
    ("rename beside a fault's fix", REGS + b"REGM = 1, 2\n    3, 4\n[control parameter]\nCTRL_NAME ]\n",
     REGS + b"REGM = 1, 2\n    3, 4\n[control parameter]\nCTRL_NAME = ]\n"),
    # REG would draw number-syntax, which the file does not have.
    ("rename that draws a warning", REGS + b"REGG = 1 2\n", None),
    ("indented own line", CAM + b"BIT_WIDTH = 10\n  TYPE = ov5640\n",
     CAM + b"BIT_WIDTH = 10\nTYPE = ov5640\n"),
    # The continuation made an entry of DELAY's; unindented, it is a REG.
    ("indented REG under a DELAY", REGS + b"DELAY = 5\n    REG = 0x30eb, 0x0c\n",
     REGS + b"DELAY = 5\nREG = 0x30eb, 0x0c\n"),
    ("indented REG under a REG", REGS + b"REG = 1, 2\n  REG = 3, 4\n",
     REGS + b"REG = 1, 2\nREG = 3, 4\n"),
    # WIDTH and HEIGHT become one SIZE line where the first stands; the
    # other line is emptied.
    ("width and height", CAM + b"WIDTH = 1920\nHEIGHT = 1080\n", CAM + b"SIZE = 1920, 1080\n\n"),
    ("height first, hex kept", CAM + b"height = 480\nBIT_WIDTH = 8\nWidth = 0x280\n",
     CAM + b"SIZE = 0x280, 480\nBIT_WIDTH = 8\n\n"),
    ("comment on the kept line", CAM + b"WIDTH = 1920 ; px\nHEIGHT = 1080\n",
     CAM + b"SIZE = 1920, 1080 ; px\n\n"),
    ("halves, CR LF", b"[camera parameter]\r\nWIDTH = 1920\r\nHEIGHT = 1080\r\n",
     b"[camera parameter]\r\nSIZE = 1920, 1080\r\n\r\n"),
    ("halves and a rename", CAM + b"WIDTH = 1920\nBIT_WIDHT = 8\nHEIGHT = 1080\n",
     CAM + b"SIZE = 1920, 1080\nBIT_WIDTH = 8\n\n"),
    # Where the repair is not certain, nothing is made.
    ("halves and SIZE", CAM + b"SIZE = 640, 480\nWIDTH = 1920\nHEIGHT = 1080\n", None),
    ("halves, then SIZE", CAM + b"WIDTH = 1920\nHEIGHT = 1080\nSIZE = 640, 480\n", None),
    ("SIZE in an earlier section", CAM + b"SIZE = 640, 480\n" + CAM + b"WIDTH = 1\nHEIGHT = 2\n",
     None),
    ("width with a unit", CAM + b"WIDTH = 1920px\nHEIGHT = 1080\n", None),
    ("width of two numbers", CAM + b"WIDTH = 1920, 1080\nHEIGHT = 1080\n", None),
    ("negative width", CAM + b"WIDTH = -1920\nHEIGHT = 1080\n", None),
    ("width beyond 32 bits", CAM + b"WIDTH = 4294967296\nHEIGHT = 1080\n", None),
    ("two widths", CAM + b"WIDTH = 1920\nWIDTH = 1280\nHEIGHT = 1080\n", None),
    ("a second height after the pair", CAM + b"WIDTH = 1920\nHEIGHT = 1080\nHEIGHT = 720\n", None),
    ("the pair after a section of two widths", CAM + b"WIDTH = 1\nWIDTH = 2\n" + CAM +
     b"WIDTH = 1920\nHEIGHT = 1080\n", CAM + b"WIDTH = 1\nWIDTH = 2\n" + CAM + b"SIZE = 1920, 1080\n\n"),
    ("width alone", CAM + b"WIDTH = 1920\n", None),
    ("halves in two sections", CAM + b"WIDTH = 1920\n" + CAM + b"HEIGHT = 1080\n", None),
    ("comment on the emptied line", CAM + b"WIDTH = 1920\nHEIGHT = 1080 ; rows\n", None),
    ("halves in a register section", REGS + b"WIDTH = 1920\nHEIGHT = 1080\n", None),
    ("letters after hex", REGS + b"REG = 0x12G4, 1\n", None),
    ("digits after a unit", REGS + b"REG = 12G4, 1\n", None),
    ("exponent", REGS + b"DELAY = 1e3\n", None),
    ("two near keys", b"[control parameter]\nM_VALUE = 1\n", None),
    ("two near sections", b"[board parameter][dev3][inf4]\nREG = 1, 2\n", None),
    ("two groups misspelt", b"[board paramter][dev3]\nREG = 1, 2\n", None),
    ("no near key", CAM + b"FROBNICATE = 1\n", None),
    ("key of another section", CAM + b"CTRL_NAME = Gain\n", None),
    ("comma in a one-number key", CAM + b"BIT_WIDTH = 8 10\n", None),
    ("SIZE would get three", CAM + b"SIZE = 640 480 10\n", None),
    ("list would pass 16", REGS + b"REG = 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 16 17\n",
     None),
    ("word in the list", REGS + b"REG = 1 two\n", None),
    ("section prefix", b"[board parameter]\nREG = 1, 2\n", None),
    ("fix would duplicate a key", CAM + b"BIT_WIDTH = 8\nBIT_WIDHT = 10\n", None),
    ("unindented line unknown", CAM + b"BIT_WIDTH = 10\n  FROB = 1\n", None),
    ("list continued", REGS + b"REG = 1, 2,\n  3, 4\n", None),
    ("a fault is left", CAM + b"CFG_MODE one\n", None),
    # A missing separator after a key whose rest reads whole as its value.
    ("separator after a key", REGS + b"REG 0x0103, 0x01\n", REGS + b"REG = 0x0103, 0x01\n"),
    ("separator, two blanks", REGS + b"REG  0x0103, 0x01\n", REGS + b"REG = 0x0103, 0x01\n"),
    ("separator, a tab", REGS + b"DELAY\t5\n", REGS + b"DELAY =\t5\n"),
    ("separator, a camera key", CAM + b"CFG_MODE 1 ; mode\n", CAM + b"CFG_MODE = 1 ; mode\n"),
    ("separator, a text", CAM + b"TYPE OV5640\n", CAM + b"TYPE = OV5640\n"),
    ("separator, rest not the value", REGS + b"REG 0x0100 0x01\n", None),
    ("separator, one number for REG", REGS + b"REG 0x0100\n", None),
    ("separator, SIZE of one number", CAM + b"SIZE 640\n", None),
    ("separator, a line continues it", REGS + b"REG 0x0103, 0x01\n    0x0104, 0x02\n", None),
    ("separator, a near name", REGS + b"REGG 0x0103, 0x01\n", None),
    ("separator, a key of another section", REGS + b"BIT_WIDTH 10\n", None),
    ("separator, no section", b"BIT_WIDTH 10\n", None),
    # A header that lacks its "]" alone, with the name of a known section.
    ("header without its bracket", b"[camera parameter\nSIZE = 640, 480\n",
     CAM + b"SIZE = 640, 480\n"),
    ("header with a comment", b"[camera parameter ; main\nSIZE = 640, 480\n",
     b"[camera parameter] ; main\nSIZE = 640, 480\n"),
    ("header, two groups", REGS + b"REG = 1, 2\n[board parameter][dev2\nREG = 1, 2\n", None),
    ("header of no section", CAM + b"[vendor extras\nTYPE = x\n", None),
    # Closed, the header would leave the line below to warn of another kind.
    ("header, the line below warns", b"[camera parameter\nREG = 1, 2\n", None),
    # Fix-its that only the text of an earlier round brings: --fix makes
    # them all, and names those of the later rounds.
    ("fix-its in rounds", b"[control parameter]\nCTRL_NAME = Gain\n    MAX_VALUE = 10\n"
     b"    STEP = 1\n    DEF = 5\n    MIN_VALUE = 0\n",
     b"[control parameter]\nCTRL_NAME = Gain\nMAX_VALUE = 10\nSTEP = 1\nDEF = 5\n"
     b"MIN_VALUE = 0\n"),
    # A warning of the same kind elsewhere must not hide one a fix draws:
    # warnings are counted by line as well as by kind.
    ("rename draws a continuation", b"[control parameter]\nCTRL_NAME = A\nSTEP = 1\n  [x]\n"
     b"FUNC_NAEM = set_a\n  [y]\n", None),
    ("rename draws a second duplicate", CAM + b"SIZE = 1, 2\nSIZE = 3, 4\nBIT_WIDTH = 8\n"
     b"BIT_WIDHT = 10\n", None),
    # Made alone, the marker fix draws a second error; made with the other,
    # it moves the fault from line 7 to line 3.
    ("marker fix moves the fault", b"[control parameter]\n=====CODE_BLOCK_START======\n"
     b"[control parameter]\nCTRL_NAME = Gain\n======CODE_BLOCK_START======\n"
     b"=====CODE_BLOCK_END======\n[control parameter]\n", None),
]


def run(*args, data=None, **kw):
    done = subprocess.run([PROGRAM, *args], input=data, capture_output=True, **kw)
    return done.returncode, done.stdout, done.stderr


def sarif(path):
    out = run("check", "--format=sarif", str(path))[1]
    return json.loads(out)["runs"][0]["results"]


def kinds(results):
    out = {}
    for r in results:
        out.setdefault(r["ruleId"], [r["level"], 0])[1] += 1
    return out


def apply(data, replacements):
    """`data` with SARIF replacements made (one line each, no overlaps)."""
    lines = data.split(b"\n")
    for rep in sorted(replacements, key=lambda r: (r["deletedRegion"]["startLine"],
                                                    -r["deletedRegion"]["startColumn"])):
        region = rep["deletedRegion"]
        n = region["startLine"] - 1
        line = lines[n]
        lines[n] = (line[:region["startColumn"] - 1] +
                    rep["insertedContent"]["text"].encode() + line[region["endColumn"] - 1:])
    return b"\n".join(lines)


class FixTests(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def write(self, name, data):
        path = pathlib.Path(self.tmp.name) / name
        path.write_bytes(data)
        return path

    def test_table(self):
        for about, data, fixed in FIXES:
            with self.subTest(about):
                path = self.write("t.conf", data)
                status, out, err = run("check", "--fix", str(path))
                self.assertEqual(path.read_bytes(), data if fixed is None else fixed)
                again = run("check", str(path))
                self.assertEqual((status, out), (again[0], again[1]))  # what remains
                # Standard input gives the same text on standard output.
                status, out, err = run("check", "--fix", "-", data=data)
                self.assertEqual(out, data if fixed is None else fixed)

    def test_every_broken_file(self):
        files = (sorted(HERE.glob("*.conf")) + sorted((HERE.parent / "data").glob("*.conf")) +
                 [f for d in CORPUS for f in sorted(d.iterdir())])
        self.assertGreater(len(files), 40)
        fixed_files = 0
        for source in files:
            with self.subTest(source.name):
                data = source.read_bytes()
                path = self.write("f.conf", data)
                before = sarif(path)
                run("check", "--fix", str(path))
                after = sarif(path)
                once = path.read_bytes()
                was, now = kinds(before), kinds(after)
                for name, (level, count) in now.items():
                    self.assertIn(name, was, "a new kind of diagnostic")
                    if level == "error":
                        self.assertLessEqual(count, was[name][1], "a new error")
                remaining = {(r["ruleId"], r["locations"][0]["physicalLocation"]["region"]
                              ["startLine"], r["message"]["text"]) for r in after}
                for r in before:
                    if "fixes" in r:
                        where = (r["ruleId"], r["locations"][0]["physicalLocation"]["region"]
                                 ["startLine"], r["message"]["text"])
                        self.assertNotIn(where, remaining, "a fixed diagnostic stayed")
                        self.check_change_words(data, r)
                run("check", "--fix", str(path))
                self.assertEqual(path.read_bytes(), once, "a second --fix changed the file")
                fixed_files += once != data
        self.assertGreater(fixed_files, 5)

    def check_change_words(self, data, result):
        """Made alone, a fix-it changes the record as its words say."""
        fix = result["fixes"][0]
        words = fix["description"]["text"]
        changes = fix["artifactChanges"][0]["replacements"]
        a = self.write("a.conf", data)
        b = self.write("b.conf", apply(data, changes))
        status, out, _ = run("diff", str(a), str(b))
        out = out.decode("utf-8", "replace")
        if words.startswith("record unchanged: "):
            self.assertEqual(out, "", words)
        else:
            self.assertNotEqual(out, "", words)
        if ", which sets camera." in words:
            self.assertIn(words.rsplit("camera.", 1)[1].split(" ")[0], out, words)
        if "adds an entry" in words:
            self.assertIn("added", out, words)

    def test_fix_only_named_warnings(self):
        data = REGS + b"REGG = 1, 2\nDELAY = 5ms\n"
        path = self.write("n.conf", data)
        run("check", "--fix=number-syntax", str(path))
        self.assertEqual(path.read_bytes(), REGS + b"REGG = 1, 2\nDELAY = 5\n")
        # -Wno-NAME keeps --fix from making that warning's fix-its.
        path.write_bytes(data)
        run("check", "--fix", "-Wno-unknown-key", str(path))
        self.assertEqual(path.read_bytes(), REGS + b"REGG = 1, 2\nDELAY = 5\n")
        for bad in ("--fix=", "--fix=frob", "--fix=no-sepSrator"):
            status, _, err = run("check", bad, str(path))
            self.assertEqual(status, 2, bad)
        # An error's fix-its are named as a warning's are.
        path.write_bytes(REGS + b"REG 1, 2\nDELAY = 5ms\n")
        run("check", "--fix=no-separator", str(path))
        self.assertEqual(path.read_bytes(), REGS + b"REG = 1, 2\nDELAY = 5ms\n")

    def test_later_rounds_are_said(self):
        """A fix-it that only an earlier round's text brings is shown by no
        check: --fix-dry-run says it before its diff, --fix on stderr."""
        data = (b"[control parameter]\nCTRL_NAME = Gain\n    MAX_VALUE = 10\n    STEP = 1\n"
                b"    DEF = 5\n    MIN_VALUE = 0\n")
        path = self.write("r.conf", data)
        said = (f"{path}:4: round 2: -Wcontinuation: the line is read as one of its own; "
                "MAX_VALUE keeps the value of the line above\n"
                f"{path}:6: round 3: -Wcontinuation: the line is read as one of its own; "
                "DEF keeps the value of the line above\n")
        status, out, err = run("check", "--fix-dry-run", str(path))
        self.assertTrue(out.decode().startswith(said + f"--- {path}\n"), out)
        self.assertEqual((status, err), (0, b""))
        status, out, err = run("check", "--fix", str(path))
        self.assertEqual((status, out, err.decode()), (0, b"", said))
        self.assertEqual(path.read_bytes(), data.replace(b"    ", b""))

    def test_dry_run(self):
        data = REGS + b"DELAY = 5ms\nREG = 1, 2\n"
        path = self.write("d.conf", data)
        status, out, err = run("check", "--fix-dry-run", str(path))
        self.assertEqual(out.decode(), f"--- {path}\n+++ {path}\n@@ -1,3 +1,3 @@\n"
                         " [register parameter]\n-DELAY = 5ms\n+DELAY = 5\n REG = 1, 2\n")
        self.assertEqual((status, err, path.read_bytes()), (0, b"", data))
        # A fault remains: the status is that of what remains.
        path.write_bytes(data + b"CFG_MODE 1\n")
        self.assertEqual(run("check", "--fix-dry-run", str(path))[0], 1)
        self.assertEqual(run("check", "--fix", str(path))[0], 1)

    def test_mode_and_clean_file_kept(self):
        path = self.write("m.conf", CAM + b"BIT_WIDTH = 10bit\n")
        os.chmod(path, 0o604)
        self.assertEqual(run("check", "--fix", str(path))[0], 0)
        self.assertEqual(os.stat(path).st_mode & 0o777, 0o604)
        before = os.stat(path)
        run("check", "--fix", str(path))  # nothing to make: not rewritten
        self.assertEqual(os.stat(path).st_ino, before.st_ino)
        self.assertEqual(sorted(os.listdir(self.tmp.name)), ["m.conf"])

    def test_refused_write_leaves_the_file(self):
        data = CAM + b"BIT_WIDTH = 10bit\n" + b"; padding\n" * 20

        def small_files():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (64, 64))

        path = self.write("r.conf", data)
        status, out, err = run("check", "--fix", str(path), preexec_fn=small_files)
        self.assertEqual(status, 2)
        self.assertIn(b"cannot write", err)
        self.assertEqual(path.read_bytes(), data)
        self.assertEqual(sorted(os.listdir(self.tmp.name)), ["r.conf"])

    def test_interrupted_rename_leaves_the_file(self):
        strace = shutil.which("strace")
        if strace is None:
            self.skipTest("strace is not installed")
        data = CAM + b"BIT_WIDTH = 10bit\n"
        path = self.write("i.conf", data)
        for call in ("fsync", "rename", "write"):
            with self.subTest(call):
                done = subprocess.run([strace, "-f", "-o", "/dev/null", "-e",
                                       f"inject={call}:error=EIO:when=1+", PROGRAM, "check",
                                       "--fix", str(path)], capture_output=True)
                if b"inject" in done.stderr and done.returncode not in (1, 2):
                    self.skipTest("strace cannot inject faults here")
                self.assertEqual(path.read_bytes(), data)
                self.assertEqual(sorted(os.listdir(self.tmp.name)), ["i.conf"])


def main():
    global PROGRAM, CORPUS
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--corpus", action="append", default=[])
    args, rest = parser.parse_known_args()
    PROGRAM = str(pathlib.Path(args.program).resolve())
    CORPUS = [pathlib.Path(c) for c in args.corpus]
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
