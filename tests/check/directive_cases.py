#!/usr/bin/env python3
"""Directives in comments that turn warnings off, one table row per case.

    directive_cases.py --program PATH

Each row is a file and the diagnostics that `check` still reports, as
"LINE:NAME"; the same file under --no-inline-config reports every warning
that the directives hid, and no -Wsuppression.
"""
import argparse
import re
import subprocess
import sys
import tempfile

CAM = "[camera parameter]\n"
BAD_KEY = "BIT_WIDHT = 10\n"  # unknown-key on its line
DIRECTIVE = "pexilon-config: "
# A comment line whose first 199 bytes end with "disable-next-line=".
CUT_DIRECTIVE = ("; " + DIRECTIVE + "disable-next-line=").rjust(199, ";")

ROWS = [
    # (about, file, what remains)
    ("next line, ';' comment", CAM + "; " + DIRECTIVE + "disable-next-line=unknown-key\n" + BAD_KEY,
     set()),
    ("next line, '#' comment", CAM + "# " + DIRECTIVE + "disable-next-line=unknown-key\n" + BAD_KEY,
     set()),
    ("next line, '//' comment", CAM + "// " + DIRECTIVE + "disable-next-line=unknown-key\n" +
     BAD_KEY, set()),
    ("next line, all", CAM + "; " + DIRECTIVE + "disable-next-line=all\n" + BAD_KEY, set()),
    ("next line, no names means all", CAM + "; " + DIRECTIVE + "disable-next-line\n" + BAD_KEY,
     set()),
    ("next line, several names", CAM + "; " + DIRECTIVE +
     "disable-next-line=number-syntax, unknown-key\n" + BAD_KEY, set()),
    ("next line, another warning", CAM + "; " + DIRECTIVE + "disable-next-line=number-range\n" +
     BAD_KEY, {"2:suppression", "3:unknown-key"}),
    ("next line reaches one line only", CAM + "; " + DIRECTIVE + "disable-next-line=unknown-key\n"
     "\n" + BAD_KEY, {"2:suppression", "4:unknown-key"}),
    ("same line after a value, ';'", CAM + "BIT_WIDTH = 10bit ; " + DIRECTIVE +
     "disable-line=number-syntax\n", set()),
    ("same line after a value, '//'", CAM + "BIT_WIDTH = 10bit // " + DIRECTIVE +
     "disable-line=number-syntax\n", set()),
    ("same line after a header", "[camera paramter] ; " + DIRECTIVE +
     "disable-line=unknown-section\nTYPE = x\n", set()),
    # ';' without white space before it is part of the value: no comment.
    ("';' inside a value", CAM + "TYPE = a;" + DIRECTIVE + "disable-line\nBIT_WIDHT = 1\n",
     {"3:unknown-key"}),
    # A comment line may be indented, even after a key.
    ("indented comment", CAM + "BIT_WIDTH = 8\n  ; " + DIRECTIVE +
     "disable-next-line\n" + BAD_KEY, set()),
    ("code block text is code", "[control parameter]\nCTRL_NAME = x\nSTEP = 1\n"
     "======CODE_BLOCK_START======\n; " + DIRECTIVE + "disable-next-line\n"
     "======CODE_BLOCK_END======\nMIN_VALUE = 1x\n", {"7:number-syntax"}),
    ("disable and enable", CAM + "; " + DIRECTIVE + "disable=unknown-key\n" + BAD_KEY + BAD_KEY +
     "; " + DIRECTIVE + "enable=unknown-key\n" + BAD_KEY, {"6:unknown-key"}),
    ("disable to the end", CAM + "; " + DIRECTIVE + "disable=all\n" + BAD_KEY + "BIT_WIDTH = 1x\n",
     set()),
    ("enable of another name", CAM + "; " + DIRECTIVE + "disable=unknown-key\n; " + DIRECTIVE +
     "enable=number-syntax\n" + BAD_KEY, set()),
    ("errors stay", CAM + "; " + DIRECTIVE + "disable-next-line=all\nCFG_MODE 1\n",
     {"2:suppression", "3:no-separator"}),
    ("naming an error", CAM + "; " + DIRECTIVE + "disable-next-line=no-separator\nCFG_MODE 1\n",
     {"2:suppression", "3:no-separator"}),
    ("unknown name", CAM + "; " + DIRECTIVE + "disable-next-line=unknown-kee\n" + BAD_KEY,
     {"2:suppression", "3:unknown-key"}),
    ("unknown directive", CAM + "; " + DIRECTIVE + "silence=unknown-key\n" + BAD_KEY,
     {"2:suppression", "3:unknown-key"}),
    ("silences nothing", CAM + "; " + DIRECTIVE + "disable=all\n", {"2:suppression"}),
    ("a directive's own warning stays", CAM + "; " + DIRECTIVE + "disable=all\n; " + DIRECTIVE +
     "frob\n", {"2:suppression", "3:suppression"}),
    ("all after another name", CAM + "; " + DIRECTIVE + "disable-next-line=number-syntax,all\n" +
     BAD_KEY, set()),
    ("all in a range", CAM + "; " + DIRECTIVE + "disable=number-syntax, all\n" + BAD_KEY +
     "BIT_WIDTH = 1x\n", set()),
    # A directive's warnings come after the others are turned off: it is
    # refused, and does not silence itself or anything else.
    ("naming suppression", CAM + "; " + DIRECTIVE + "disable=suppression\n; " + DIRECTIVE +
     "frob\n" + BAD_KEY, {"2:suppression", "3:suppression", "4:unknown-key"}),
    ("nothing after '='", CAM + "; " + DIRECTIVE + "disable-next-line=\n" + BAD_KEY,
     {"2:suppression", "3:unknown-key"}),
    # The reader reads the comment in pieces of 199 bytes: the first ends
    # at '=', the name is in the second. Read alone, it would mean all.
    ("cut after '='", CAM + CUT_DIRECTIVE + "unknown-key\n" + BAD_KEY + "BIT_WIDTH = 1x\n",
     {"2:no-separator", "2:split-line", "2:suppression", "3:unknown-key", "4:number-syntax"}),
    ("cut before '='", CAM + CUT_DIRECTIVE[:-1].rjust(199, ";") + "=unknown-key\n" + BAD_KEY,
     {"2:split-line", "2:suppression", "2:unknown-key", "3:unknown-key"}),
]


def found(program, text, *options):
    with tempfile.NamedTemporaryFile("w", suffix=".conf") as f:
        f.write(text)
        f.flush()
        out = subprocess.run([program, "check", "--format=gcc", *options, f.name],
                             capture_output=True, text=True).stdout
    return {f"{m[0]}:{m[1]}" for m in re.findall(r"^.*?:(\d+):(?:\d+:)? (?:warning|error): "
                                                  r".*\[-?W?([a-z-]+)\]$", out, re.M)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    program = parser.parse_args().program
    failed = 0
    for about, text, remains in ROWS:
        got = found(program, text)
        ignored = found(program, text, "--no-inline-config")
        problems = []
        if got != remains:
            problems.append(f"reports {sorted(got)}, expected {sorted(remains)}")
        if any(n.endswith(":suppression") for n in ignored) or not got - {
                n for n in got if n.endswith(":suppression")} <= ignored:
            problems.append(f"--no-inline-config reports {sorted(ignored)}")
        for problem in problems:
            print(f"FAIL {about}: {problem}")
        failed += 1 if problems else 0
    print(f"{len(ROWS) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
