#!/usr/bin/env python3
"""Each diagnostic is declared once, in src/check/diagnostic_kinds.h.

The rules name a diagnostic by its identifier (diag_id); its name and
severity come from the registry's row. This fails on a diagnostic's name
quoted in a source under src/ or tools/ outside the registry: a rule that
names its diagnostic as text, or code that tells diagnostics apart by name.
Comments may speak of diagnostics; they are passed over.

    one_registry.py SOURCE_DIR
"""

import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
registry = root / "src" / "check" / "diagnostic_kinds.h"
names = set(re.findall(r'^\s*X\(\w+, "([a-z-]+)",', registry.read_text(), re.M))
if len(names) < 30:
    sys.exit(f"one_registry: read only {sorted(names)} from {registry}")

comment = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)
quoted_name = re.compile(r'"(' + "|".join(sorted(names, key=len, reverse=True)) + r')"')

problems = []
for folder in ("src", "tools"):
    for path in sorted((root / folder).rglob("*")):
        if path.suffix not in (".h", ".cpp", ".hpp", ".c") or path == registry:
            continue
        code = comment.sub(lambda m: "\n" * m.group(0).count("\n"), path.read_text())
        for number, line in enumerate(code.splitlines(), 1):
            for found in quoted_name.findall(line):
                problems.append(f"{path.relative_to(root)}:{number}: \"{found}\" outside the registry")

for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
