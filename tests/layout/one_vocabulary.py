#!/usr/bin/env python3
"""Each word of the dialect is written once, in src/config/vocabulary.h.

Every other source under src/ and tools/ must take a key's name from the
vocabulary's rows and reach the camera's fields through its record rows:
this fails on a quoted key name (a consumer listing keys of its own) and on
a camera field named in code outside the vocabulary. Comments may speak of
keys; they are passed over.

    one_vocabulary.py SOURCE_DIR
"""

import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
vocabulary = root / "src" / "config" / "vocabulary.h"
table = vocabulary.read_text()
keys = set(re.findall(r'^\s*\{"([A-Z0-9_]+)",', table, re.M))
camera_fields = set(re.findall(r"PEXILON_(?:NUMBER|TEXT)\(camera_settings, (\w+)", table))
# The fields whose names are common words (width, type, format) are left to
# review; the others may only be reached through camera_members.
distinct_fields = {f for f in camera_fields if "_" in f}
if len(keys) < 17 or len(distinct_fields) < 5:
    sys.exit(f"one_vocabulary: read {len(keys)} keys and {sorted(distinct_fields)} from {vocabulary}")

comment = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)
quoted_key = re.compile(r'"(' + "|".join(sorted(keys)) + r')"')
field_use = re.compile(r"\.(" + "|".join(sorted(distinct_fields)) + r")\b")

problems = []
for folder in ("src", "tools"):
    for path in sorted((root / folder).rglob("*")):
        if path.suffix not in (".h", ".cpp", ".hpp") or path == vocabulary:
            continue
        code = comment.sub(lambda m: "\n" * m.group(0).count("\n"), path.read_text())
        for number, line in enumerate(code.splitlines(), 1):
            for found in quoted_key.findall(line) + field_use.findall(line):
                problems.append(f"{path.relative_to(root)}:{number}: {found} outside the vocabulary")

for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
