#!/usr/bin/env bash
# Holds the size of the code: no function over 60 lines and no file over 400
# lines in src/, tools/ and python/ (tests and bench aside), nor in the public
# headers of include/, so that each piece can still be read whole. Functions are measured from the line that
# names them to their closing line: C and C++ with universal-ctags (its end
# lines; member functions defined inside a class count too), Python with its
# own ast module.
#
# .ci/size-exceptions lists what may exceed for now, one "path" or
# "path:function" a line with the reason after it. An entry that no longer
# exceeds fails too, so the list can only shrink.
#
#   .ci/size-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if ! ctags --version 2>/dev/null | grep -q 'Universal Ctags'; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends universal-ctags >/dev/null
fi

mapfile -t files < <(git ls-files -- 'src/*' 'tools/*' 'python/*' 'include/*' |
    grep -E '\.(c|h|cc|cpp|hpp|py)$' | grep -Ev '(^|/)(tests|bench)/')
mapfile -t cxx < <(printf '%s\n' "${files[@]}" | grep -v '\.py$')

tags=$(mktemp)
trap 'rm -f "$tags"' EXIT
# Function definitions only (not prototypes): name, first line, end line, file.
ctags -x --languages=C,C++ --kinds-C=f --kinds-C++=f --fields=+ne \
    --_xformat='%{name}	%n	%{end}	%F' -o - "${cxx[@]}" >"$tags"

python3 - "$tags" .ci/size-exceptions "${files[@]}" <<'EOF'
import ast
import sys

FUNCTION_LIMIT = 60
FILE_LIMIT = 400

tags_path, exceptions_path, *files = sys.argv[1:]
problems = []
found = {}  # "path" or "path:function" -> its length in lines

for path in files:
    with open(path, encoding="utf-8") as f:
        text = f.read()
    lines = text.count("\n") + (0 if text.endswith("\n") or not text else 1)
    if lines > FILE_LIMIT:
        found[path] = lines


def note(path, name, first, last):
    length = last - first + 1
    if length > FUNCTION_LIMIT:
        key = f"{path}:{name}"
        found[key] = max(found.get(key, 0), length)


# A lambda is measured with the function around it; one at namespace scope
# (assigned to a variable) is measured on its own.
spans = {}
with open(tags_path, encoding="utf-8") as f:
    for row in f:
        name, first, last, path = row.rstrip("\n").split("\t")
        if not last:
            problems.append(f"{path}:{first}: ctags found no end of {name}")
            continue
        spans.setdefault(path, []).append((name, int(first), int(last)))
for path, functions in spans.items():
    for name, first, last in functions:
        if name.startswith("__anon"):
            if any(o != name and a <= first and last <= b and not o.startswith("__anon")
                   for o, a, b in functions):
                continue
            name = f"(lambda at line {first})"
        note(path, name, first, last)

for path in files:
    if not path.endswith(".py"):
        continue
    with open(path, encoding="utf-8") as f:
        tree = ast.parse(f.read(), path)

    def walk(node, prefix):
        for child in ast.iter_child_nodes(node):
            if isinstance(child, (ast.FunctionDef, ast.AsyncFunctionDef)):
                note(path, prefix + child.name, child.lineno, child.end_lineno)
                walk(child, prefix + child.name + ".")
            elif isinstance(child, ast.ClassDef):
                walk(child, prefix + child.name + ".")
            else:
                walk(child, prefix)

    walk(tree, "")

allowed = set()
with open(exceptions_path, encoding="utf-8") as f:
    for number, row in enumerate(f, 1):
        row = row.strip()
        if not row or row.startswith("#"):
            continue
        entry = row.split()[0]
        if len(row.split()) < 2:
            problems.append(f"{exceptions_path}:{number}: {entry}: give the reason after it")
        if entry not in found:
            problems.append(f"{exceptions_path}:{number}: {entry} is within the limits now: "
                            "remove it from the list")
        allowed.add(entry)

for key, length in sorted(found.items()):
    if key in allowed:
        continue
    limit = FILE_LIMIT if ":" not in key else FUNCTION_LIMIT
    what = "file" if ":" not in key else "function"
    problems.append(f"{key}: {what} of {length} lines (at most {limit})")

for problem in problems:
    print(problem)
if problems:
    print("size: split what is named above, or (for now) list it in "
          f"{exceptions_path}", file=sys.stderr)
    sys.exit(1)
print(f"size: {len(files)} files within the limits "
      f"({len(allowed)} listed in {exceptions_path})")
EOF
