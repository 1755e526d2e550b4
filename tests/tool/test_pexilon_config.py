#!/usr/bin/env python3
"""Tests of the pexilon-config program: output and exit status of each command.

Run by CTest as: test_pexilon_config.py --program PATH --examples DIR
"""
import argparse
import errno
import glob
import json
import os
import pty
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import unittest

PROGRAM = ""
TERMINAL = object()
EXAMPLES = ""

# Files with one fault each: (name, bytes, reported line).
FAULTY = [
    ("no_separator", b"[camera parameter]\nCFG_MODE 1\nWIDTH_ONLY\n", 2),
    ("unclosed_header", b"; header\n[camera parameter\nCFG_MODE = 1\n", 2),
    ("too_many_values",
     b"[register parameter]\nREG = " + b",".join(b"%d" % i for i in range(17)) + b"\n", 2),
    ("block_cut_off",
     b"[control parameter]\n======CODE_BLOCK_START======\nwrite(1)\n"
     b"[camera parameter]\nMIN_VALUE = 7\n", 4),
    ("block_unterminated",
     b"[control parameter]\nCTRL_NAME = Gain\n======CODE_BLOCK_START======\nwrite(1)\n", 4),
]

# Every subcommand the program has, as its --help lists them.
SUBCOMMANDS = ["check", "explain", "dump", "json", "diff", "fmt", "get", "set", "insert",
               "remove", "from-json", "lsp"]
# Those that take any number of files, standard input when none is named.
FILE_READERS = ["check", "dump", "json", "fmt"]

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
MAN_PAGE = os.path.join(ROOT, "doc", "pexilon-config.1")
COMPLETION = os.path.join(ROOT, "tools", "shell", "pexilon-config.bash")

# tests/diff/NAME.a.conf against NAME.b.conf gives NAME.diff (text) and
# NAME.json; NAME starts with the result, same_ or differs_.
DIFF_CASES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "diff")

GOOD = b"[camera parameter]\nSIZE = 640, 480\n[register parameter]\nREG = 0x10, 0x20\n"

# The dump of examples/sample.conf, stream by stream.
SAMPLE_CAMERA = (
    "CFG_MODE : 1\n"
    "TYPE     : IMX477 12.3MP RAW10 4-lane\n"
    "WIDTH    : 4056\n"
    "HEIGHT   : 3040\n"
    "BIT_WIDTH: 10\n"
    "FORMAT   : 0x12C\n"
    "I2C_MODE : 2\n"
    "I2C_ADDR : 26\n"
    "TRANS_LVL: 64\n")
# (group header, lines of numbers)
SAMPLE_GROUPS = [
    ("[0x0200]", ["0x0000 0x0007 0x0005 ", "0x000A ", "0x0012 0x0100 0x0001 ",
                  "0x0012 0x0101 0x0000 "]),
    ("[0x0202]", ["0x0001 0x000A ", "0x0005 "]),
    ("[0x0204]", ["0x0020 0x3000 0x10000 ", "0x0001 "]),
    ("[0x0203]", ["0x0020 0x3004 0x0003 ", "0x0002 0x0001 "]),
    ("[0x0300]", ["0x0103 0x0001 ", "0x0005 ", "0x0136 0x0018 0x0000 ",
                  "0x0340 0x000C 0x001C ", "0x0342 0x0031 0x00C4 ", "0x0112 0x000A 0x000A "]),
    ("[0x0304]", ["0x0114 0x0001 ", "0x0808 0x0002 "]),
    ("[0x0303]", ["0x0114 0x0003 ", "0x0002 "]),
]
SAMPLE_CONTROLS = (
    "MIN_VALUE  = 1\nMAX_VALUE  = 3100\nSTEP       = 1\nDEF        = 1000\n"
    "CTRL_NAME\t= Exposure\nFUNC_NAME\t= set_exposure\n"
    "lines = clamp(value, 1, 3100)\nwrite(0x0202, (lines >> 8) & 0xFF)\n"
    "write(0x0203, lines & 0xFF)\n\n"
    "MIN_VALUE  = 0\nMAX_VALUE  = 978\nSTEP       = 1\nDEF        = 0\n"
    "CTRL_NAME\t= Analogue gain\nFUNC_NAME\t= set_analogue_gain\n"
    "# code 0 is 1x, 978 is 22x\nwrite(0x0204, (value >> 8) & 0x03)\n"
    "write(0x0205, value & 0xFF)\n\n"
    "MIN_VALUE  = -64\nMAX_VALUE  = 64\nSTEP       = 2\nDEF        = 0\n"
    "CTRL_NAME\t= Black level offset\nFUNC_NAME\t= set_black_level\n"
    "    # signed offset around the default pedestal of 64\n    level = 64 + value\n"
    "    write(0x0008, (level >> 8) & 0x03)\n    write(0x0009, level & 0xFF)\n\n")


def run(*args, stdin=b"", merge=False, cwd=None):
    """Runs the program; returns (exit status, stdout, stderr) as text.
    stdin=TERMINAL gives it a terminal on standard input."""
    if stdin is TERMINAL:
        try:
            primary, secondary = pty.openpty()
        except OSError as e:
            raise unittest.SkipTest(f"no pseudo-terminal: {e}")
        try:
            done = subprocess.run([PROGRAM, *args], stdin=secondary, capture_output=True,
                                  cwd=cwd, timeout=30)
        finally:
            os.close(primary)
            os.close(secondary)
        return done.returncode, done.stdout.decode(), done.stderr.decode()
    done = subprocess.run([PROGRAM, *args], input=stdin, capture_output=not merge,
                          stdout=subprocess.PIPE if merge else None,
                          stderr=subprocess.STDOUT if merge else None, cwd=cwd, timeout=30)
    err = done.stderr.decode("utf-8", "strict") if done.stderr is not None else ""
    return done.returncode, done.stdout.decode("utf-8", "strict"), err


def explained_sources(path):
    """What explain says made each entry and control of the file: ({N: the
    line of "params[N] = ..."}, {N: the line of the header that opened
    controls[N]}), each the first line that says so."""
    done = subprocess.run([PROGRAM, "explain", path], capture_output=True, timeout=30)
    entries, controls = {}, {}
    for line in done.stdout.split(b"\n"):
        if not line:
            continue
        # "%5zu  " the editor line, 40 bytes of source and two blanks, the account
        number, account = int(line[:5]), line[5 + 2 + 40 + 2:].decode("utf-8", "replace")
        made = re.search(r"(?:^|: )params\[(\d+)\] = ", account)
        if made:
            entries.setdefault(int(made[1]), number)
        opened = re.match(r"section \[control parameter\] \(0x04000000\): controls\[(\d+)\]",
                          account)
        if opened:
            controls.setdefault(int(opened[1]), number)
    return entries, controls


def without_lines(doc):
    """A json document without what depends on the file's layout: its name
    and the line of each entry and control."""
    return {**doc, "file": "x",
            "entries": [{k: v for k, v in e.items() if k != "line"} for e in doc["entries"]],
            "controls": [{k: v for k, v in c.items() if k != "line"} for c in doc["controls"]]}


class ToolTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.sample = os.path.join(EXAMPLES, "sample.conf")
        self.good = self.write("good.conf", GOOD)
        self.missing = os.path.join(self.tmp.name, "missing.conf")

    def write(self, name, data):
        path = os.path.join(self.tmp.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def expect_usage_error(self, *args, stdin=b""):
        status, out, err = run(*args, stdin=stdin)
        self.assertEqual(status, 2, args)
        self.assertEqual(out, "", args)
        self.assertTrue(err.startswith("pexilon-config: "), (args, err))
        self.assertIn("--help", err, args)
        return err

    # check

    def test_check_clean_file_prints_nothing(self):
        self.assertEqual(run("check", self.sample), (0, "", ""))

    def test_check_each_fault(self):
        names = set()
        for name, data, line in FAULTY:
            with self.subTest(name):
                path = self.write(name + ".conf", data)
                status, out, err = run("check", "--format=gcc", path)
                self.assertEqual(status, 1)
                self.assertEqual(err, "")
                errors = re.findall(re.escape(path) +
                                    r":(\d+):(?:\d+:)? error: [^\n]* \[([a-z-]+)\]\n", out)
                self.assertTrue(errors, out)
                self.assertEqual(int(errors[0][0]), line)
                self.assertEqual({n for _, n in errors}, {name.replace("_", "-")})
                names.add(errors[0][1])
        self.assertEqual(len(names), len(FAULTY), "every fault kind has its own name")

    def test_check_text_form(self):
        path = self.write("two.conf", b"[camera parameter]\nSIZE = 640\nCFG_MODE 1\n")
        status, out, err = run("check", "--color=never", path)
        self.assertEqual((status, err), (1, ""))
        self.assertEqual(out, (
            f"{path}:2:8: warning: SIZE needs two numbers, width and height; with 1, "
            "camera.width and camera.height keep their values [-Wvalue-count]\n"
            "    2 | SIZE = 640\n"
            "      |        ^~~\n"
            f"{path}:3:1: error: no '=' or ':' before the end of the line or a comment: "
            "the line is not read [no-separator]\n"
            "    3 | CFG_MODE 1\n"
            "      | ^~~~~~~~~~\n"
            "      |          =\n"
            "      = fix-it: the line is read as the key CFG_MODE, which sets camera.cfg_mode\n"
            f"{path}:3:1: note: write 'NAME = value'; a ';' or '//' after white space starts "
            "a comment\n"
            "1 error, 1 warning\n"))
        # Colour when asked for, whatever NO_COLOR says; never on a pipe by default.
        self.assertIn("\033[01;35m", run("check", "--color=always", path)[1])
        self.assertNotIn("\033[", run("check", path)[1])
        self.assertEqual(run("check", "-Wno-value-count", "--format=gcc", path)[1].count("\n"), 2)
        self.assertEqual(run("check", "--werror", "-Wno-value-count",
                             self.write("w.conf", b"[camera parameter]\nSIZE = 1\n"))[0], 0)

    def test_check_cannot_open(self):
        cases = [(self.missing, os.strerror(2)), (self.tmp.name, os.strerror(21))]
        for path, reason in cases:
            with self.subTest(path):
                self.assertEqual(run("check", path),
                                 (2, "", f"pexilon-config: cannot open '{path}': {reason}\n"))

    def test_check_standard_input(self):
        self.assertEqual(run("check", "-", stdin=GOOD), (0, "", ""))
        self.assertEqual(run("check", stdin=GOOD), (0, "", ""))
        status, out, _ = run("check", "--format=gcc", "-", stdin=FAULTY[0][1])
        self.assertEqual(status, 1)
        self.assertTrue(out.startswith("<stdin>:2:1: error: "), out)

    def test_check_several_files(self):
        faulty = self.write("faulty.conf", FAULTY[0][1])
        status, out, _ = run("check", "--format=gcc", self.good, faulty, self.sample)
        self.assertEqual(status, 1)
        self.assertTrue(out.startswith(faulty + ":2:1: error: "), out)
        self.assertNotIn(self.good, out)
        self.assertNotIn(self.sample, out)
        # a file that cannot be opened outweighs a faulty one, whatever the order
        self.assertEqual(run("check", self.missing, faulty)[0], 2)
        self.assertEqual(run("check", faulty, self.missing, self.good)[0], 2)

    def test_check_json_forms(self):
        faulty = self.write("faulty.conf", FAULTY[0][1])
        doc = json.loads(run("check", "--format=json", faulty, self.good)[1])
        # errors, which no -Wno- silences, name no option, as GCC's
        self.assertEqual([d["kind"] for d in doc], ["error"] * 2)
        self.assertTrue(all("option" not in d for d in doc))
        self.assertEqual(doc[0]["locations"][0]["caret"],
                         {"file": faulty, "line": 2, "display-column": 1, "byte-column": 1,
                          "column": 1})
        log = json.loads(run("check", "--format=sarif", faulty)[1])
        self.assertEqual(log["version"], "2.1.0")
        self.assertEqual([r["ruleId"] for r in log["runs"][0]["results"]], ["no-separator"] * 2)

    def test_double_dash_ends_options(self):
        self.write("-dash.conf", GOOD)
        self.assertEqual(run("check", "--", "-dash.conf", cwd=self.tmp.name), (0, "", ""))

    def test_check_usage_errors(self):
        for args in (["check", "--format=xml", self.good], ["check", "--color=sometimes"],
                     ["check", "-Wno-frobnicate", self.good],
                     ["check", "-Wno-no-separator", self.good], ["check", "--bogus"],
                     ["explain", "--lines=9-2", self.good], ["explain", self.good, self.good]):
            with self.subTest(args):
                self.expect_usage_error(*args)
        self.assertEqual(run("explain", self.missing)[0], 2)

    # dump

    def test_dump_sample(self):
        groups = "".join(h + "\n" + "".join(l + "\n" for l in lines) for h, lines in SAMPLE_GROUPS)
        self.assertEqual(run("dump", self.sample),
                         (0, SAMPLE_CAMERA + groups + SAMPLE_CONTROLS, ""))

    def test_dump_split_streams(self):
        status, out, err = run("dump", "--split-streams", self.sample)
        self.assertEqual(status, 0)
        self.assertEqual(out, "".join(line + "\n" for _, lines in SAMPLE_GROUPS for line in lines))
        self.assertEqual(err, SAMPLE_CAMERA + "".join(h + "\n" for h, _ in SAMPLE_GROUPS)
                         + SAMPLE_CONTROLS)
        # the two streams keep their order when they share one file
        status, merged, _ = run("dump", self.sample, "--split-streams", merge=True)
        self.assertEqual(merged, run("dump", self.sample)[1])

    def test_dump_faulty_file_is_still_dumped(self):
        # block cut off: the header is used up, MIN_VALUE after it fills the control
        name, data, line = FAULTY[3]
        path = self.write(name + ".conf", data)
        status, out, err = run("dump", path)
        self.assertEqual(status, 1)
        self.assertTrue(err.startswith(f"{path}:{line}: error: "), err)
        self.assertEqual(err.count("\n"), 1)
        self.assertTrue(out.startswith("CFG_MODE : 0\n"), out)
        self.assertTrue(out.endswith("TRANS_LVL: 0\nMIN_VALUE  = 7\nMAX_VALUE  = 0\n"
                                     "STEP       = 0\nDEF        = 0\nCTRL_NAME\t= \n"
                                     "FUNC_NAME\t= \n(null)\n"), out)

    def test_dump_several_files_and_missing(self):
        status, out, err = run("dump", self.good, self.missing, "-", stdin=GOOD)
        self.assertEqual(status, 2)
        self.assertEqual(err, f"{self.missing}: error: cannot open: {os.strerror(2)}\n")
        blocks = out.split("==> ")
        self.assertEqual(blocks[0], "")
        self.assertEqual(len(blocks), 4)
        self.assertTrue(blocks[1].startswith(self.good + " <==\nCFG_MODE : 0\n"), blocks[1])
        self.assertIn("WIDTH    : 640\nHEIGHT   : 480\n", blocks[1])
        self.assertTrue(blocks[1].endswith("[0x0300]\n0x0010 0x0020 \n"), blocks[1])
        self.assertEqual(blocks[2], f"{self.missing} <==\n")
        self.assertTrue(blocks[3].startswith("- <==\nCFG_MODE : 0\n"), blocks[3])

    def test_dump_one_file_has_no_header(self):
        self.assertNotIn("==>", run("dump", self.good)[1])

    # json

    def test_json_sample(self):
        status, out, err = run("json", self.sample)
        self.assertEqual((status, err), (0, ""))
        doc = json.loads(out)
        self.assertEqual(list(doc), ["file", "result", "error", "camera", "entries", "controls"])
        self.assertEqual((doc["file"], doc["result"], doc["error"]), (self.sample, 0, None))
        self.assertEqual(doc["camera"], {
            "cfg_mode": 1, "type": "IMX477 12.3MP RAW10 4-lane", "width": 4056, "height": 3040,
            "bit_width": 10, "format": 0x12C, "i2c_mode": 2, "i2c_addr": 0x1A, "trans_lvl": 64})
        entries = doc["entries"]
        self.assertEqual(len(entries), sum(len(lines) for _, lines in SAMPLE_GROUPS))
        self.assertEqual(entries[0], {"section": "board parameter", "header": "[board parameter]",
                                      "key": "VRCMD", "type": 0x02000002, "values": [0, 7, 5],
                                      "line": 18})
        # the reader's name of each section, and its header as the file writes it
        sections = {e["section"]: e["header"] for e in entries}
        self.assertEqual(sections, {
            "board parameter": "[board parameter]",
            "board parameter||dev2": "[board parameter][dev2]",
            "board parameter||dev3||inf2": "[board parameter][dev3][inf2]",
            "board parameter||dev3||inf3": "[board parameter][dev3][inf3]",
            "register parameter": "[register parameter]",
            "register parameter||dev3||inf2": "[register parameter][dev3][inf2]",
            "register parameter||dev3||inf3": "[register parameter][dev3][inf3]"})
        self.assertIn({"section": "board parameter||dev3||inf2",
                       "header": "[board parameter][dev3][inf2]", "key": "REG",
                       "type": 0x02040001, "values": [0x20, 0x3000, 0x10000], "line": 28}, entries)
        self.assertEqual({e["key"] for e in entries}, {"REG", "DELAY", "VRCMD"})
        # an indented line that continues REG made the entry of its own line
        self.assertEqual([e["line"] for e in entries[12:16]], [39, 40, 41, 42])
        controls = doc["controls"]
        self.assertEqual(len(controls), 3)
        self.assertEqual([c["line"] for c in controls], [53, 66, 79])  # their headers
        self.assertEqual(controls[2], {
            "min_value": -64, "max_value": 64, "step": 2, "default": 0, "reserved": 0,
            "ctrl_name": "Black level offset", "func_name": "set_black_level",
            "code": "    # signed offset around the default pedestal of 64\n"
                    "    level = 64 + value\n    write(0x0008, (level >> 8) & 0x03)\n"
                    "    write(0x0009, level & 0xFF)\n", "line": 79})

    def test_json_lines_are_the_lines_explain_names(self):
        # explain says which line made which entry ("params[N] = ...") and
        # which header opened which control ("controls[N]"); json's "line"
        # is that line, on every file the tests and examples hold.
        files = sorted(glob.glob(os.path.join(ROOT, "tests", "**", "*.conf"), recursive=True) +
                       glob.glob(os.path.join(ROOT, "examples", "*.conf")) +
                       glob.glob(os.path.join(ROOT, "fuzz", "corpus", "*")))
        self.assertGreater(len(files), 100)
        for path in files:
            with self.subTest(os.path.relpath(path, ROOT)):
                status, out, err = run("json", "--compact", path)
                self.assertIn(status, (0, 1), err)
                doc = json.loads(out)
                entries, controls = explained_sources(path)
                self.assertEqual([e["line"] for e in doc["entries"]],
                                 [entries.get(i) for i in range(len(doc["entries"]))])
                self.assertEqual([c["line"] for c in doc["controls"]],
                                 [controls.get(i) for i in range(len(doc["controls"]))])
                self.assertEqual((len(entries), len(controls)),
                                 (len(doc["entries"]), len(doc["controls"])))
                for entry in doc["entries"]:
                    self.assertEqual(entry["header"],
                                     "[" + entry["section"].replace("||", "][") + "]")

    def test_json_faults_and_several_files(self):
        faulty = self.write("faulty.conf", FAULTY[4][1])  # unterminated: no code, null
        status, out, err = run("json", self.good, faulty, self.missing)
        self.assertEqual((status, err),
                         (2, f"{self.missing}: error: cannot open: {os.strerror(2)}\n"))
        docs = json.loads(out)
        self.assertIsInstance(docs, list)
        self.assertEqual([d["file"] for d in docs], [self.good, faulty, self.missing])
        self.assertEqual([d["result"] for d in docs], [0, 4, -1])
        self.assertIsNone(docs[0]["error"])
        self.assertTrue(docs[1]["error"])
        self.assertEqual(docs[1]["controls"][0]["ctrl_name"], "Gain")
        self.assertIsNone(docs[1]["controls"][0]["code"])
        self.assertEqual(docs[2]["error"], "cannot open: " + os.strerror(2))
        # no record at all, rather than an empty one
        self.assertEqual([docs[2][k] for k in ("camera", "entries", "controls")], [None] * 3)
        # one file that has a fault: still one object, exit 1
        status, out, _ = run("json", faulty)
        self.assertEqual(status, 1)
        self.assertEqual(json.loads(out)["result"], 4)

    def test_json_bytes_that_are_not_utf8(self):
        data = (b"[camera parameter]\nTYPE = caf\xe9 \xff\xfe \xc3\xa9t\xc3\xa9\n"
                b"[control parameter]\nCTRL_NAME = \x80gain\xc3\n"
                b"======CODE_BLOCK_START======\nx = \xf0\x9f\x93\xb7 \xed\xa0\x80\n"
                b"======CODE_BLOCK_END======\n")
        for source in ("file", "stdin"):
            with self.subTest(source):
                if source == "file":
                    status, out, _ = run("json", self.write("latin1.conf", data))
                else:
                    status, out, _ = run("json", "-", stdin=data)
                self.assertEqual(status, 0)
                doc = json.loads(out)  # run() decoded the output as strict UTF-8
                self.assertEqual(doc["camera"]["type"], "caf\ufffd \ufffd\ufffd \u00e9t\u00e9")
                self.assertEqual(doc["controls"][0]["ctrl_name"], "\ufffdgain\ufffd")
                self.assertTrue(doc["controls"][0]["code"].startswith("x = \U0001F4F7 \ufffd"))
        check = subprocess.run([sys.executable, "-m", "json.tool"], input=out.encode(),
                               capture_output=True)
        self.assertEqual(check.returncode, 0, check.stderr)

    def test_json_compact_and_hex(self):
        pretty = run("json", self.sample)[1]
        status, compact, _ = run("json", "--compact", self.sample)
        self.assertEqual(status, 0)
        self.assertEqual(compact.count("\n"), 1)
        self.assertEqual(json.loads(compact), json.loads(pretty))
        doc = json.loads(run("json", "--hex", "--compact", self.sample)[1])
        self.assertIn({"section": "board parameter||dev3||inf2",
                       "header": "[board parameter][dev3][inf2]", "key": "REG",
                       "type": "0x02040001", "values": ["0x0020", "0x3000", "0x10000"],
                       "line": 28}, doc["entries"])
        self.assertEqual(doc["camera"], json.loads(pretty)["camera"])  # only entries change
        # several files: one array, one line
        both = run("json", "--compact", self.good, self.sample)[1]
        self.assertEqual(both.count("\n"), 1)
        self.assertEqual([d["file"] for d in json.loads(both)], [self.good, self.sample])

    def test_json_full_type_field(self):
        path = self.write("long.conf", b"[camera parameter]\nTYPE = " + b"T" * 60 +
                          b"\nSIZE = 1, 2\n")
        doc = json.loads(run("json", path)[1])
        self.assertEqual(doc["camera"]["type"], "T" * 50)
        self.assertEqual(doc["camera"]["width"], 1)

    # diff

    def test_diff_cases(self):
        names = sorted(f[:-len(".a.conf")] for f in os.listdir(DIFF_CASES)
                       if f.endswith(".a.conf"))
        self.assertGreaterEqual(len(names), 5)
        for name in names:
            with self.subTest(name):
                a, b = name + ".a.conf", name + ".b.conf"
                expected = 0 if name.startswith("same_") else 1
                with open(os.path.join(DIFF_CASES, name + ".diff"), encoding="utf-8") as f:
                    text = f.read()
                self.assertEqual(run("diff", a, b, cwd=DIFF_CASES), (expected, text, ""))
                status, out, err = run("diff", "--format=json", a, b, cwd=DIFF_CASES)
                self.assertEqual((status, err), (expected, ""))
                with open(os.path.join(DIFF_CASES, name + ".json"), encoding="utf-8") as f:
                    self.assertEqual(json.loads(out), json.load(f))
                # the other way round, what was added is removed
                back = run("diff", b, a, cwd=DIFF_CASES)[1]
                for word, opposite in (("added", "removed"), ("removed", "added"),
                                       ("changed", "changed")):
                    self.assertEqual(len(re.findall(rf"^  {word} ", text, re.M)),
                                     len(re.findall(rf"^  {opposite} ", back, re.M)), word)

    def test_diff_faults_and_usage(self):
        faulty = self.write("faulty.conf", GOOD + b"WIDTH_ONLY\n")
        status, out, err = run("diff", self.good, faulty)
        self.assertEqual((status, out), (0, ""))  # the faulty line adds nothing
        self.assertTrue(err.startswith(faulty + ":5: error: "), err)
        self.assertEqual(run("diff", "-", self.good, stdin=GOOD), (0, "", ""))
        for path, reason in ((self.missing, os.strerror(2)), (self.tmp.name, os.strerror(21))):
            with self.subTest(path):
                self.assertEqual(run("diff", self.good, path),
                                 (2, "", f"{path}: error: cannot open: {reason}\n"))
        for args in (["diff", self.good], ["diff", self.good, self.good, self.good],
                     ["diff", "--format=xml", self.good, self.good], ["diff", "--format"]):
            with self.subTest(args):
                self.expect_usage_error(*args)

    # reliability

    def test_write_errors(self):
        faulty = self.write("faulty.conf", FAULTY[0][1])
        many = self.write("many.conf", b"[camera parameter]\n" + b"WIDHT = 1\n" * 2000)
        # (arguments, the stream that is full): each writes to that stream
        rows = [
            (["check", faulty], "stdout"),
            (["check", "--format=json", many], "stdout"),
            (["check", "--format=sarif", many], "stdout"),
            (["explain", self.good], "stdout"),
            (["dump", self.good], "stdout"),
            (["dump", "--split-streams", self.good], "stderr"),
            (["dump", faulty], "stderr"),
            (["json", self.sample], "stdout"),
            (["json", "--compact", self.good, self.sample], "stdout"),
            (["diff", self.good, self.sample], "stdout"),
            (["diff", self.good, faulty], "stderr"),
            (["--help"], "stdout"),
            (["--version"], "stdout"),
        ] + [([name, "--help"], "stdout") for name in SUBCOMMANDS]
        for args, full in rows:
            with self.subTest(args=args, full=full), open("/dev/full", "wb") as sink:
                streams = {"stdout": subprocess.PIPE, "stderr": subprocess.PIPE, full: sink}
                done = subprocess.run([PROGRAM, *args], stdin=subprocess.DEVNULL, timeout=30,
                                      **streams)
                self.assertEqual(done.returncode, 2)
                if full == "stdout":
                    self.assertRegex(done.stderr.decode(),
                                     r"\Apexilon-config: write error on standard output: "
                                     + re.escape(os.strerror(28)) + "\n")

    def test_closed_standard_output(self):
        many = self.write("many.conf", b"[camera parameter]\n" + b"WIDHT = 1\n" * 2000)
        for form in ("text", "gcc", "json", "sarif"):
            with self.subTest(form):
                done = subprocess.run(["sh", "-c", 'exec >&-; exec "$0" "$@"', PROGRAM, "check",
                                       f"--format={form}", many], capture_output=False,
                                      stderr=subprocess.PIPE, timeout=30)
                self.assertEqual(done.returncode, 2)
                self.assertEqual(done.stderr.decode(), "pexilon-config: write error on standard "
                                 f"output: {os.strerror(errno.EBADF)}\n")

    def test_names_with_control_characters(self):
        evil = self.write("x.conf:1: error: forged\nbad\t.conf", FAULTY[0][1])
        shown = evil.replace("\n", "?").replace("\t", "?")
        status, out, _ = run("check", "--format=gcc", evil)
        self.assertEqual(status, 1)
        self.assertTrue(out.startswith(shown + ":2:1: error: "), out)
        self.assertTrue(all(line.startswith(shown + ":") for line in out.splitlines()), out)
        _, out, err = run("dump", evil, self.good)
        self.assertIn(f"==> {shown} <==\n", out)
        self.assertTrue(err.startswith(shown + ":2: error: ") and err.count("\n") == 1, err)
        self.assertIn(f"--- {shown}\n", run("diff", evil, self.good)[1])
        # JSON escapes the name instead, and keeps it whole
        self.assertEqual(json.loads(run("json", evil)[1])["file"], evil)

    def test_control_characters_from_the_file(self):
        # ESC, BEL and the C1 CSI in names, values and code: no text output
        # lets one through to the terminal; JSON escapes them as it did.
        evil = b"a\x1b[2Jb\x07c\xc2\x9bd"
        control = (b"[control parameter]\nCTRL_NAME = " + evil + b"\nFUNC_NAME = f\n"
                   b"======CODE_BLOCK_START======\nwrite(" + evil + b")\n"
                   b"======CODE_BLOCK_END======\n")
        path = self.write("evil.conf", b"[camera parameter]\nWID" + evil + b" = 1\n"
                          b"[" + evil + b"]\n" + control)
        other = self.write("other.conf", control.replace(b"write(", b"read("))
        rows = [["check", path], ["check", "--format=gcc", path], ["explain", path],
                ["diff", path, other]]
        for args in rows:
            with self.subTest(args):
                done = subprocess.run([PROGRAM, *args], capture_output=True, timeout=30)
                # one '?' a character, the two-byte C1 included
                self.assertIn(b"a?[2Jb?c?d", done.stdout)
                for raw in (b"\x1b", b"\x07", b"\xc2\x9b"):
                    self.assertNotIn(raw, done.stdout + done.stderr)
        found = json.loads(run("check", "--format=json", path)[1])
        self.assertIn("a\x1b[2Jb\x07c\x9bd", found[0]["message"])

    def test_long_lines_show_a_window(self):
        # A fault every few bytes of one long line: each diagnostic shows a
        # window of the line around its caret, "..." where it is cut, so the
        # output grows with the line, not with its square.
        sizes = {}
        for size in (20_000, 80_000):
            line = "REG = " + "0x1G, " * (size // 6)
            status, out, _ = run("check", self.write("long.conf",
                                                     f"[register parameter]\n{line}\n".encode()))
            self.assertEqual(status, 1)
            sizes[size] = len(out)
            shown = out.splitlines()
            cut = 0
            for i, report in enumerate(shown):
                found = re.match(r".*:2:(\d+): warning: ", report)
                if not found or not shown[i + 1].startswith("    2 | "):
                    continue
                source, caret = shown[i + 1][8:], shown[i + 2][8:]
                self.assertLessEqual(len(source), 206)
                cut += source.startswith("...") and source.endswith("...")
                # The caret stays under the text the column names.
                column = int(found.group(1))
                at = caret.index("^")
                self.assertEqual(source[at:at + 6], line[column - 1:column + 5], report)
            self.assertGreater(cut, 0)
        self.assertLess(sizes[80_000] / sizes[20_000], 6)

    def test_json_invalid_utf8_as_the_help_says(self):
        help_text = " ".join(run("json", "--help")[1].split())
        self.assertIn("each byte that cannot begin a character becomes one, and a sequence that "
                      "begins well but breaks off becomes one for the bytes read so far (the "
                      "byte that broke it is then read on its own)", help_text)
        # (bytes of TYPE, the text JSON gives)
        rows = [
            (b"a\xffb", "a\ufffdb"),             # cannot begin a character
            (b"\x80\x80", "\ufffd\ufffd"),        # continuation bytes alone: one each
            (b"\xe2\x82", "\ufffd"),              # three-byte sequence cut by the end
            (b"\xe2\x82A", "\ufffdA"),            # ... and by a plain character
            (b"\xf0\x9f\x93x", "\ufffdx"),         # four-byte sequence cut after three
            (b"\xe2\x82\xff", "\ufffd\ufffd"),     # the byte that broke it cannot begin one
            (b"\xe2\xe2\x82\xac", "\ufffd\u20ac"),  # ... or begins a good one
            (b"\xc3\xa9\xe2\x82\xac", "\u00e9\u20ac"),  # valid text is kept
        ]
        for data, text in rows:
            with self.subTest(data):
                path = self.write("type.conf", b"[camera parameter]\nTYPE = " + data + b"\n")
                self.assertEqual(json.loads(run("json", path)[1])["camera"]["type"], text)

    def test_memory_exhaustion_exits_2(self):
        with open(PROGRAM, "rb") as f:
            program = f.read()
            # a sanitized program names its runtime's entry points
            if any(mark in program for mark in (b"__asan_", b"__ubsan_", b"__tsan_")):
                self.skipTest("sanitizers reserve more address space than the limit")
        # 380000 entries need 27 MB of record, more than the 32 MB limit
        # leaves beside the program; memory runs out near the end of the file
        big = self.write("big.conf", b"[register parameter]\n" + b"REG = 0x3000, 0x01\n" * 380000)
        limit = 32 << 20

        def limited():
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))

        for args in (["check", big], ["dump", big], ["json", big],
                     ["diff", big, self.good]):
            with self.subTest(args):
                done = subprocess.run([PROGRAM, *args], stdin=subprocess.DEVNULL,
                                      stdout=subprocess.DEVNULL if args[0] != "check" else
                                      subprocess.PIPE, stderr=subprocess.PIPE,
                                      preexec_fn=limited, timeout=60)
                self.assertEqual(done.returncode, 2, done.stderr)
                message = (done.stdout or b"") + done.stderr
                self.assertIn(b"out of memory", message)

    # manual page and completion

    # fmt

    MESSY = b"\n[camera parameter]\nSIZE:640,0x1e0   \n\n\n[register parameter]\nREG=1\n"
    TIDY = b"[camera parameter]\nSIZE = 640, 0x1E0\n\n[register parameter]\nREG = 1\n"

    def test_fmt_prints_the_layout(self):
        messy = self.write("messy.conf", self.MESSY)
        self.assertEqual(run("fmt", messy), (0, self.TIDY.decode(), ""))
        self.assertEqual(run("fmt", stdin=self.TIDY), (0, self.TIDY.decode(), ""))
        self.assertEqual(run("fmt", "--hex-case=lower", "-", stdin=self.MESSY)[1],
                         self.TIDY.decode().replace("0x1E0", "0x1e0"))
        # a missing file is reported; the others are still formatted
        status, out, err = run("fmt", self.missing, messy)
        self.assertEqual((status, out), (2, self.TIDY.decode()))
        self.assertIn("missing.conf: cannot open", err)

    def test_fmt_check_and_diff(self):
        messy = self.write("messy.conf", self.MESSY)
        tidy = self.write("tidy.conf", self.TIDY)
        self.assertEqual(run("fmt", "--check", tidy), (0, "", ""))
        self.assertEqual(run("fmt", "--check", tidy, messy), (1, f"would reformat {messy}\n", ""))
        status, out, err = run("fmt", "--diff", messy)
        self.assertEqual((status, err), (1, ""))  # as --check: the file would change
        self.assertEqual(run("fmt", "--diff", tidy), (0, "", ""))
        self.assertTrue(out.startswith(f"--- {messy}\n+++ {messy} (formatted)\n@@ "), out)
        self.assertIn("\n-SIZE:640,0x1e0   \n", out)
        self.assertIn("\n+SIZE = 640, 0x1E0\n", out)
        self.assertEqual(run("fmt", "--check", "--diff", messy)[0], 1)
        with open(messy, "rb") as f:
            self.assertEqual(f.read(), self.MESSY)  # neither writes

    def test_fmt_in_place(self):
        messy = self.write("messy.conf", self.MESSY)
        tidy = self.write("tidy.conf", self.TIDY)
        os.chmod(messy, 0o640)
        if os.geteuid() == 0:
            os.chown(messy, 4321, 4322)  # root gives the new file the old owner
        link = os.path.join(self.tmp.name, "link.conf")
        os.symlink("messy.conf", link)
        before = os.stat(tidy)
        self.assertEqual(run("fmt", "-i", link, tidy), (0, "", ""))
        with open(messy, "rb") as f:
            self.assertEqual(f.read(), self.TIDY)
        self.assertTrue(os.path.islink(link))
        self.assertEqual(os.stat(messy).st_mode & 0o777, 0o640)
        if os.geteuid() == 0:
            self.assertEqual((os.stat(messy).st_uid, os.stat(messy).st_gid), (4321, 4322))
        after = os.stat(tidy)  # a file that does not change is not rewritten
        self.assertEqual((after.st_ino, after.st_mtime_ns), (before.st_ino, before.st_mtime_ns))
        self.assertEqual(sorted(os.listdir(self.tmp.name)),
                         ["good.conf", "link.conf", "messy.conf", "tidy.conf"])

    # Texts whose diffs once lost bytes: a NUL byte ended every line after it,
    # and a last line without its newline made a diff that patch refused.
    DIFF_TEXTS = [
        b"[camera parameter]\n; a\0b\nbit_width = 8\nBIT_WIDHT = 10\n",
        b"[camera parameter]\nSIZE:640,480",
        b"[camera parameter]\nBIT_WIDHT = 10",
        b"\n\n[register parameter]\nREG=1,\0 2\nREG=3\n",
    ]

    def diffed_inputs(self):
        folders = [os.path.join(ROOT, "tests", "check"), os.path.join(ROOT, "tests", "data"),
                   os.path.join(ROOT, "fuzz", "corpus")]
        for folder in folders:
            for name in sorted(os.listdir(folder)):
                if folder.endswith("corpus") or name.endswith(".conf"):
                    with open(os.path.join(folder, name), "rb") as f:
                        yield name, f.read()
        for i, text in enumerate(self.DIFF_TEXTS):
            yield f"text {i}", text

    def test_diffs_make_the_new_text_with_patch(self):
        if shutil.which("patch") is None:
            self.skipTest("patch is not installed")
        applied = 0
        for name, text in self.diffed_inputs():
            path = self.write("input.conf", text)
            for shown, diff_args, result_args in (
                    ("fmt", ["fmt", "--diff", path], ["fmt", path]),
                    ("check", ["check", "--fix-dry-run", path], ["check", "--fix", "-"])):
                diff = subprocess.run([PROGRAM, *diff_args], capture_output=True, timeout=30)
                want = subprocess.run([PROGRAM, *result_args], input=text, capture_output=True,
                                      timeout=30).stdout
                if diff.returncode == 2:
                    continue  # refused
                with self.subTest(name, command=shown):
                    if want == text:
                        self.assertEqual(diff.stdout, b"")
                        continue
                    done = subprocess.run(["patch", "-s", "-o", "-", path], input=diff.stdout,
                                          capture_output=True, timeout=30, cwd=self.tmp.name)
                    self.assertEqual((done.returncode, done.stderr), (0, b""))
                    self.assertEqual(done.stdout, want)
                    applied += 1
        self.assertGreater(applied, 40)

    def test_sarif_for_code_scanning(self):
        def sarif(data):
            run_ = json.loads(run("check", "--format=sarif", "-", stdin=data)[1])["runs"][0]
            return run_, [r["partialFingerprints"]["primaryLocationLineHash"]
                          for r in run_["results"]]

        body = b"REG = 1,, 2\nREG = 3,, 4\nREG = 1,, 2\n"
        _, prints = sarif(b"[register parameter]\n" + body)
        # Lines added above move no result's fingerprint; the same line twice
        # is told apart by its count.
        _, moved = sarif(b"; a comment\n\n[register parameter]\nREG = 9, 9\n" + body)
        self.assertEqual(moved, prints)
        self.assertEqual([p.split(":")[1] for p in prints], ["1", "1", "2"])
        self.assertEqual(prints[0].split(":")[0], prints[2].split(":")[0])
        at_limit, _ = sarif(b"[register parameter]\n" + b"REG = 1,, 2\n" * 25000)
        self.assertNotIn("invocations", at_limit)
        over, _ = sarif(b"[register parameter]\n" + b"REG = 1,, 2\n" * 25001)
        note = over["invocations"][0]["toolExecutionNotifications"][0]
        self.assertEqual(note["level"], "warning")
        self.assertIn("25001 results: GitHub code scanning keeps 25000", note["message"]["text"])

    def test_github_annotations_escape_what_the_runner_reads(self):
        # "%", CR and LF in a message; also "," and ":" in a property, which
        # would end it.
        path = self.write("a,b:c%d.conf", b"[camera parameter]\nBIT%WIDHT = 10\n")
        status, out, err = run("check", "--format=github", path)
        self.assertEqual((status, err), (0, ""))
        name = path.replace("%", "%25").replace(":", "%3A").replace(",", "%2C")
        self.assertEqual(out, (
            f"::warning file={name},line=2,col=1,endColumn=9,"
            "title=pexilon-config [-Wunknown-key]::unknown key 'BIT%25WIDHT' in "
            "[camera parameter]: the line is ignored%0Ahint: did you mean 'BIT_WIDTH'?"
            "%0Afix-it: the line is read as the key BIT_WIDTH, which sets camera.bit_width\n"))
        status, out, _ = run("check", "--format=github", "-", stdin=b"[camera parameter]\nSIZE\n")
        self.assertEqual(status, 1)
        self.assertTrue(out.startswith("::error file=<stdin>,line=2,col=1,endColumn=4,"
                                       "title=pexilon-config [no-separator]::"), out)

    def test_pre_commit_hooks(self):
        if shutil.which("pre-commit") is None or shutil.which("git") is None:
            self.skipTest("pre-commit or git is not installed")
        if not os.path.isdir(os.path.join(ROOT, ".git")):
            self.skipTest("the hooks are tried from a git checkout")
        scratch = os.path.join(self.tmp.name, "repo")
        os.mkdir(scratch)
        bin_dir = os.path.join(self.tmp.name, "bin")
        os.mkdir(bin_dir)
        os.symlink(PROGRAM, os.path.join(bin_dir, "pexilon-config"))
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"],
                   PRE_COMMIT_HOME=os.path.join(self.tmp.name, "cache"), GIT_CONFIG_GLOBAL="/dev/null",
                   GIT_AUTHOR_NAME="t", GIT_AUTHOR_EMAIL="t@t", GIT_COMMITTER_NAME="t",
                   GIT_COMMITTER_EMAIL="t@t")
        git = lambda *a: subprocess.run(["git", *a], cwd=scratch, env=env, check=True,
                                        capture_output=True, timeout=60)
        git("init", "-q")
        files = {"clean.conf": self.TIDY, "misspelt.conf": b"[camera parameter]\nBIT_WIDHT = 10\n",
                 "messy.conf": self.MESSY, "notes.txt": b"BIT_WIDHT\n"}
        for name, data in files.items():
            with open(os.path.join(scratch, name), "wb") as f:
                f.write(data)
        git("add", ".")

        def hooks(*args):
            done = subprocess.run(["pre-commit", "try-repo", ROOT, *args], cwd=scratch, env=env,
                                  capture_output=True, timeout=300)
            return done.returncode, done.stdout.decode()

        self.assertEqual(hooks("--files", "clean.conf", "notes.txt")[0], 0)
        status, out = hooks("pexilon-config-fmt-check", "--files", "messy.conf")
        self.assertNotEqual(status, 0)
        self.assertIn("+SIZE = 640, 0x1E0", out)
        # try-repo runs the hooks in the order of their ids.
        status, out = hooks("--files", *files)
        self.assertNotEqual(status, 0)
        results = re.findall(r"^(pexilon-config[^.]*?)\.+(Passed|Failed)$", out, re.M)
        self.assertEqual(results, [("pexilon-config check", "Failed"),
                                   ("pexilon-config fmt", "Failed"),
                                   ("pexilon-config fmt --check", "Passed")], out)
        for shown in ("misspelt.conf:2:1: warning: unknown key 'BIT_WIDHT'",
                      "files were modified by this hook"):
            self.assertIn(shown, out)
        self.assertNotIn("notes.txt", out)
        for name, data in files.items():
            with open(os.path.join(scratch, name), "rb") as f:
                self.assertEqual(f.read(), self.TIDY if name == "messy.conf" else data)

    def test_readme_install_lines_name_what_debian_control_says(self):
        with open(os.path.join(ROOT, "README.md")) as f:
            block = f.read().split("**Debian packages**", 1)[1].split("```sh\n", 1)[1]
        block = block.split("```", 1)[0].replace("\\\n", " ")
        first, *_, last = [line for line in block.splitlines() if "apt-get install" in line]
        with open(os.path.join(ROOT, "debian", "control")) as f:
            control = f.read()
        depends = control.split("Build-Depends:", 1)[1].split("\n\n", 1)[0].split("Standards")[0]
        needed = {re.sub(r"-compat$", "", d.split()[0]) for d in depends.split(",")
                  if d.strip() and "<!nocheck>" not in d}
        self.assertEqual(needed - set(first.split()), set())
        built = set(re.findall(r"^Package: (\S+)", control, re.M))
        named = set(re.findall(r"\./([a-z0-9-]+)_\*\.deb", last))
        self.assertEqual(named, built)  # one glob a package, no -dbgsym among them

    def refused_rewrites(self):
        """(what, path, reason) for files a rewrite must leave as they are."""
        fifo = os.path.join(self.tmp.name, "fifo.conf")
        os.mkfifo(fifo)
        linked = self.write("linked.conf", self.MESSY)
        os.link(linked, os.path.join(self.tmp.name, "second-name.conf"))
        read_only = self.write("read-only.conf", self.MESSY)
        os.chmod(read_only, 0o444)
        return [("a FIFO", fifo, "it is not a regular file"),
                ("standard input as a path", "/dev/stdin", "it is not a regular file"),
                ("a file with two names", linked, "it has 2 hard links"),
                ("a file nobody may write", read_only, "it is not writable")]

    def test_in_place_rewrites_refuse_what_they_would_damage(self):
        for what, path, reason in self.refused_rewrites():
            kind = os.stat(path).st_mode
            for args in (["fmt", "-i", path], ["check", "--fix", path]):
                with self.subTest(what, command=args[0]):
                    # Nothing is read from a FIFO: the refusal comes first.
                    status, out, err = run(*args)
                    self.assertEqual((status, out), (2, ""), err)
                    self.assertIn(reason, err)
                    self.assertEqual(os.stat(path).st_mode, kind)
                    if os.path.isfile(path):
                        with open(path, "rb") as f:
                            self.assertEqual(f.read(), self.MESSY)
        self.assertEqual([n for n in os.listdir(self.tmp.name) if n.startswith(".")], [])

    def test_fmt_in_place_keeps_extended_attributes(self):
        messy = self.write("messy.conf", self.MESSY)
        try:
            os.setxattr(messy, "user.origin", b"vendor drop 7")
        except OSError as e:
            self.skipTest(f"no extended attributes here: {e}")
        self.assertEqual(run("fmt", "-i", messy), (0, "", ""))
        with open(messy, "rb") as f:
            self.assertEqual(f.read(), self.TIDY)
        self.assertEqual(os.getxattr(messy, "user.origin"), b"vendor drop 7")

    def test_fmt_in_place_ended_by_a_signal_leaves_no_temporary_file(self):
        import signal
        import time
        big = os.path.join(self.tmp.name, "big.conf")  # about 20 MB to lay out
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(sig.name):
                with open(big, "wb") as f:
                    f.write(self.MESSY * 400000)
                child = subprocess.Popen([PROGRAM, "fmt", "-i", big])
                # The signal once the temporary file is there, or at the end.
                deadline = time.monotonic() + 20
                while (child.poll() is None and time.monotonic() < deadline and
                       not any(n.startswith(".") for n in os.listdir(self.tmp.name))):
                    pass
                child.send_signal(sig)
                child.wait(timeout=60)
                self.assertEqual([n for n in os.listdir(self.tmp.name) if n.startswith(".")], [])
                with open(big, "rb") as f:
                    self.assertIn(f.read(64), ((self.MESSY * 2)[:64], (self.TIDY * 2)[:64]))
                self.assertEqual(child.returncode, -sig)

    def test_fmt_in_place_refuses_a_file_changed_meanwhile(self):
        import signal
        big = self.write("big.conf", self.MESSY * 400000)
        child = subprocess.Popen([PROGRAM, "fmt", "-i", big], stderr=subprocess.PIPE)
        # Held still once its temporary file is there, while another program
        # appends a line; the rewrite would lose that line.
        while child.poll() is None and not any(n.startswith(".") for n in os.listdir(self.tmp.name)):
            pass
        child.send_signal(signal.SIGSTOP)
        with open(big, "ab") as f:
            f.write(b"REG = 0x0100, 0x01\n")
        child.send_signal(signal.SIGCONT)
        _, err = child.communicate(timeout=60)
        self.assertEqual(child.returncode, 2)
        self.assertIn(b"it changed while it was being rewritten", err)
        with open(big, "rb") as f:
            self.assertEqual(f.read(), self.MESSY * 400000 + b"REG = 0x0100, 0x01\n")
        self.assertEqual([n for n in os.listdir(self.tmp.name) if n.startswith(".")], [])

    def test_fmt_in_place_failure_leaves_the_file(self):
        if os.geteuid() == 0:
            self.skipTest("root writes into any folder")
        folder = os.path.join(self.tmp.name, "locked")
        os.mkdir(folder)
        messy = os.path.join(folder, "messy.conf")
        with open(messy, "wb") as f:
            f.write(self.MESSY)
        os.chmod(folder, 0o500)
        self.addCleanup(os.chmod, folder, 0o700)
        status, out, err = run("fmt", "--in-place", messy)
        self.assertEqual((status, out), (2, ""))
        self.assertIn("not rewritten: cannot create a temporary file", err)
        with open(messy, "rb") as f:
            self.assertEqual(f.read(), self.MESSY)

    def test_fmt_usage_errors(self):
        for args in (["fmt", "-i", "-"], ["fmt", "-i", "--check", self.good],
                     ["fmt", "--in-place", "--diff", self.good],
                     ["fmt", "--hex-case=title", self.good], ["fmt", "--hex-case"]):
            with self.subTest(args):
                self.expect_usage_error(*args)

    def long_options(self, name):
        """The long options the help of a subcommand lists."""
        text = run(name, "--help")[1].split("\nOptions:\n", 1)[1].split("\n\n", 1)[0]
        return set(re.findall(r"(?<![\w-])(--[a-z][a-z-]*)", text))

    def test_one_exit_status_block_in_each_help(self):
        for name in SUBCOMMANDS:
            with self.subTest(name):
                self.assertEqual(run(name, "--help")[1].count("Exit status"), 1)

    def test_man_page(self):
        if shutil.which("groff") is None:
            self.skipTest("groff is not installed")
        done = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z", MAN_PAGE],
                              capture_output=True, timeout=30)
        self.assertEqual((done.returncode, done.stderr), (0, b""))
        done = subprocess.run(["groff", "-man", "-Tascii", "-P", "-cbou", MAN_PAGE],
                              capture_output=True, timeout=30)
        text = done.stdout.decode("ascii")
        commands = text.split("\nCOMMANDS\n", 1)[1].split("\nOPTIONS\n", 1)[0]
        for name in SUBCOMMANDS:
            with self.subTest(name):
                # each subcommand has its entry, with every option its help lists
                entry = re.search(rf"^       {name}\b.*?(?=^       [a-z]+\b|\Z)", commands,
                                  re.M | re.S)
                self.assertIsNotNone(entry, name)
                self.assertLessEqual(self.long_options(name) - {"--help"},
                                     set(re.findall(r"(?<![\w-])(--[a-z][a-z-]*)",
                                                    entry.group(0))))

    def complete(self, *words):
        """What the bash completion offers for the last of `words`."""
        script = ('source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); '
                  '_pexilon_config; printf "%s\\n" "${COMPREPLY[@]}"')
        env = dict(os.environ, PATH=os.path.dirname(PROGRAM) + os.pathsep + os.environ["PATH"])
        done = subprocess.run(["bash", "-c", script, "bash", COMPLETION, "pexilon-config",
                               *words], capture_output=True, env=env, timeout=30)
        self.assertEqual(done.returncode, 0, done.stderr)
        return set(done.stdout.decode().split())

    def test_bash_completion(self):
        self.assertLessEqual(set(SUBCOMMANDS), self.complete(""))
        self.assertEqual(self.complete("d"), {"dump", "diff"})
        self.assertEqual(self.complete("--"), {"--help", "--version"})
        for name in SUBCOMMANDS:
            with self.subTest(name):
                offered = {o.rstrip("=") for o in self.complete(name, "--")}
                self.assertLessEqual(self.long_options(name) | {"--help"}, offered)
        self.assertEqual(self.complete("diff", "--format="), {"text", "json"})
        self.assertEqual(self.complete("diff", "--format", "=", "j"), {"json"})
        self.assertEqual(self.complete("fmt", "--hex-case="), {"upper", "lower", "keep"})
        self.assertEqual(self.complete("check", "--fix=number-syntax,unknown-s"),
                         {"number-syntax,unknown-section"})
        # Errors have fix-its too; -W takes warnings alone.
        self.assertEqual(self.complete("check", "--fix=no-sep"), {"no-separator"})
        self.assertEqual(self.complete("check", "--fix=unc"), {"unclosed-header"})
        self.assertEqual(self.complete("check", "-Wno-no-s"), {"-Wno-no-section"})
        self.assertEqual(self.complete("check", "-Wreg"), {"-Wreg-no-value"})
        self.assertEqual(self.complete("json", os.path.join(EXAMPLES, "samp")),
                         {self.sample})

    # options

    def test_help(self):
        status, out, err = run("--help")
        self.assertEqual((status, err), (0, ""))
        self.assertTrue(out.startswith("Usage: pexilon-config "), out)
        self.assertEqual(run("-h"), (status, out, err))
        listed = re.findall(r"^  ([a-z][a-z-]*) ", out.split("Commands:\n")[1], re.M)
        self.assertEqual(sorted(listed), sorted(SUBCOMMANDS))
        for name in SUBCOMMANDS:
            with self.subTest(name):
                status, out, err = run(name, "--help")
                self.assertEqual((status, err), (0, ""))
                self.assertTrue(out.startswith(f"Usage: pexilon-config {name} "), out)
                self.assertEqual(run(name, "-h", "--bogus"), (status, out, err))

    def test_check_help_lists_every_diagnostic(self):
        # The help's lists are written out; the SARIF log's rules come from
        # the checker's registry, in its order.
        status, out, _ = run("check", "--format=sarif", self.good)
        rules = json.loads(out)["runs"][0]["tool"]["driver"]["rules"]
        _, help_text, _ = run("check", "--help")
        for level, label in (("warning", "Warnings"), ("error", "Errors")):
            with self.subTest(label):
                listed = re.search(rf"^{label}: (.*?)\.\n", help_text, re.M | re.S)
                self.assertIsNotNone(listed, help_text)
                self.assertEqual(listed.group(1).split(),
                                 [rule["id"] for rule in rules
                                  if rule["defaultConfiguration"]["level"] == level])

    def test_version(self):
        status, out, err = run("--version")
        self.assertEqual((status, err), (0, ""))
        self.assertRegex(out, r"\Apexilon-config \d+\.\d+\.\d+\n\Z")

    def test_usage_errors(self):
        for args in ([], ["frobnicate", self.good], ["--bogus"],
                     ["dump", "--bogus", self.good], ["Check", self.good],
                     ["json", "--compact=yes", self.good], ["dump", "-x", self.good]):
            with self.subTest(args):
                self.expect_usage_error(*args)

    def test_mistyped_words_draw_a_suggestion(self):
        for args, suggestion in (
                (["chek", self.good], "did you mean 'check'?"),
                (["--verison"], "did you mean '--version'?"),
                (["check", "--formt=gcc", self.good], "did you mean '--format'?"),
                (["fmt", "--algn", self.good], "did you mean '--align'?"),
                (["check", "-Wno-unknwn-section", self.good], "did you mean '-Wno-unknown-section'?"),
                (["check", "-Wunknwn-key", self.good], "did you mean '-Wunknown-key'?"),
                (["frobnicate", self.good], None), (["check", "-Wno-zzzz", self.good], None),
                (["--"], None), (["---"], None)):
            with self.subTest(args):
                err = self.expect_usage_error(*args)
                first = err.splitlines()[0]
                if suggestion is None:
                    self.assertNotIn("did you mean", first)
                else:
                    self.assertTrue(first.endswith("; " + suggestion), first)

    # get, set, insert, remove

    def test_set_changes_one_value_and_reads_back(self):
        path = self.write("board.conf", open(self.sample, "rb").read())
        status, out, err = run("set", path, "camera.i2c_addr=0x36", "controls[Exposure].max_value=4000")
        self.assertEqual((status, err), (0, ""))
        with open(self.sample) as f:
            before = f.read()
        self.assertEqual(out, before.replace("I2C_ADDR  = 0x1A", "I2C_ADDR  = 0x36")
                         .replace("MAX_VALUE = 3100", "MAX_VALUE = 4000"))
        self.assertEqual(run("get", "-", "camera.i2c_addr", "controls[0].max_value",
                             stdin=out.encode()), (0, "54\n4000\n", ""))
        self.assertEqual(run("get", "--json", path, "camera.width", "entries[0].values"),
                         (0, "[4056,[0,7,5]]\n", ""))
        # -i: the file replaced, its mode kept; refused edits write nothing
        os.chmod(path, 0o640)
        self.assertEqual(run("set", "-i", path, "camera.bit_width=12")[0], 0)
        with open(path) as f:
            self.assertIn("BIT_WIDTH = 12\n", f.read())
        self.assertEqual(os.stat(path).st_mode & 0o777, 0o640)
        for edit, reason in [("camera.bit_width=300", "bit_width holds 0 to 255"),
                             ("camera.width=-1", "width holds 0 to"),
                             ("controls[Zoom].step=1", "no control is named"),
                             ("entries[0].values=" + ",".join(["1"] * 17), "at most 16")]:
            with self.subTest(edit):
                before = open(path, "rb").read()
                status, out, err = run("set", "-i", path, "camera.type=X", edit)
                self.assertEqual((status, out), (2, ""))
                self.assertIn(reason, err)
                self.assertEqual(open(path, "rb").read(), before)
        self.expect_usage_error("set", path, "camera.width")
        self.expect_usage_error("set", "-i", "-", "camera.width=1")

    def test_insert_and_remove(self):
        with open(self.sample) as f:
            before = f.read()
        status, out, err = run("insert", "--after=3", self.sample, "REG=0x12,0x0102,0x01")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(out, before.replace("REG   = 0x12, 0x0101, 0x00\n",
                                             "REG   = 0x12, 0x0101, 0x00\nREG = 0x12, 0x0102, 0x01\n"))
        status, out, err = run("remove", "-", "entries[4]", stdin=out.encode())
        self.assertEqual((status, out, err), (0, before, ""))
        status, out, err = run("insert", "--control=Zoom", self.sample)
        self.assertEqual((status, out), (0, before + "\n[control parameter]\nCTRL_NAME = Zoom\n"))
        status, out, err = run("remove", self.sample, "controls[Exposure]")
        self.assertEqual(status, 0)
        self.assertNotIn("set_exposure", out)
        self.assertEqual(run("remove", self.sample, "entries[99]")[0], 2)
        self.expect_usage_error("insert", self.sample, "REG=1")

    def test_from_json_gives_the_record_back(self):
        for args in ([], ["--hex"]):
            with self.subTest(args):
                status, record, err = run("json", *args, self.sample)
                status, text, err = run("from-json", stdin=record.encode())
                self.assertEqual((status, err), (0, ""))
                self.assertEqual(run("fmt", "--check", "-", stdin=text.encode())[0], 0)
                again = json.loads(run("json", *args, "-", stdin=text.encode())[1])
                self.assertEqual(without_lines(again), without_lines(json.loads(record)))
        # json | from-json | json is json, on every clean data file
        data = os.path.join(ROOT, "tests", "data")
        for name in sorted(os.listdir(data)):
            status, record, err = run("json", os.path.join(data, name))
            if not name.endswith(".conf") or status != 0:
                continue
            with self.subTest(name):
                status, text, err = run("from-json", stdin=record.encode())
                self.assertEqual((status, err), (0, ""))
                again = json.loads(run("json", "-", stdin=text.encode())[1])
                self.assertEqual(without_lines(again), without_lines(json.loads(record)))
        for given, reason in [(b"[{}]", "an array is refused"),
                              (b'{"camera": {"bit_width": 256}}', "out of its range"),
                              (b'{"controls": [{"reserved": 1}]}', "reserved is not 0"),
                              (b'{"entries": [{"type": 1, "values": []}]}', "has a type")]:
            with self.subTest(given):
                status, out, err = run("from-json", stdin=given)
                self.assertEqual((status, out), (2, ""))
                self.assertIn(reason, err)

    def test_standard_input(self):
        for name in FILE_READERS:
            with self.subTest(name):
                # no FILE: standard input, unless it is a terminal
                self.assertEqual(run(name, stdin=GOOD)[0], 0)
                self.assertEqual(run(name, "--", stdin=GOOD)[0], 0)
                self.expect_usage_error(name, stdin=TERMINAL)
        for name in SUBCOMMANDS:
            with self.subTest(name):
                # standard input can be read once only
                self.expect_usage_error(name, "-", "-", stdin=GOOD)
                self.expect_usage_error(name, "-", "--", "-", stdin=GOOD)


def main():
    global PROGRAM, EXAMPLES
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--examples", required=True)
    args, rest = parser.parse_known_args()
    PROGRAM, EXAMPLES = os.path.abspath(args.program), os.path.abspath(args.examples)
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
