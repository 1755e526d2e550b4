#!/usr/bin/env python3
"""The check's output on the files of this directory, against what is expected.

Each NAME.conf sits beside its expected output in every format: NAME.text
(the default form, without colour), NAME.gcc, NAME.json and NAME.sarif (the
results of the SARIF run; the rest of the log is checked here for shape).
A file whose fix-its change it has NAME.fix too, what check --fix-dry-run
prints for it (the later rounds' fix-its said before the diff); a file
without one has no fix-it. A file named after a diagnostic draws that
diagnostic; clean_realistic.conf draws none. explain/NAME.conf sits beside
NAME.explain.

    run_cases.py --program PATH [--update]

--update writes the expected files from the program's output instead.
"""
import argparse
import json
import pathlib
import re
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
FORMATS = ("text", "gcc", "json", "sarif")


def run(program, *args, cwd=HERE):
    done = subprocess.run([program, *args], cwd=cwd, capture_output=True)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode()


def sarif_results(text, problems, where):
    log = json.loads(text)
    run_ = log["runs"][0]
    if log.get("version") != "2.1.0" or len(log["runs"]) != 1:
        problems.append(f"{where}: not one SARIF 2.1.0 run")
    if run_.get("columnKind") != "unicodeCodePoints":
        problems.append(f"{where}: the run does not say its columns count code points")
    rules = [rule["id"] for rule in run_["tool"]["driver"]["rules"]]
    prints = [r.get("partialFingerprints", {}).get("primaryLocationLineHash")
              for r in run_["results"]]
    if None in prints or len(set(prints)) != len(prints):
        problems.append(f"{where}: a result without its own primaryLocationLineHash")
    for result in run_["results"]:
        if rules[result["ruleIndex"]] != result["ruleId"]:
            problems.append(f"{where}: ruleIndex of {result['ruleId']} names another rule")
    return json.dumps(run_["results"], indent=2, ensure_ascii=False) + "\n"


def check_cases(program, update, problems):
    for conf in sorted(HERE.glob("*.conf")):
        outputs = {}
        for form in FORMATS:
            status, out, err = run(program, "check", "--color=never", f"--format={form}",
                                   conf.name)
            where = f"{conf.name} --format={form}"
            if form == "sarif":
                out = sarif_results(out, problems, where)
            outputs[form] = out
            expected_file = conf.with_suffix("." + form)
            if update:
                expected_file.write_text(out)
            elif not expected_file.exists() or expected_file.read_text() != out:
                problems.append(f"{where}: output differs from {expected_file.name}:\n{out}")
            has_errors = " error: " in outputs.get("gcc", outputs["text"])
            if status != (1 if has_errors else 0) or err:
                problems.append(f"{where}: exit status {status}, stderr {err!r}")
        check_switches(program, conf, outputs["gcc"], problems)
        check_ci_forms(program, conf, outputs, problems)
        check_dry_run(program, conf, update, problems)


def check_dry_run(program, conf, update, problems):
    """NAME.fix holds what --fix-dry-run prints, when it prints anything."""
    status, out, err = run(program, "check", "--fix-dry-run", conf.name)
    expected_file = conf.with_suffix(".fix")
    if update:
        if out:
            expected_file.write_text(out)
        elif expected_file.exists():
            expected_file.unlink()
    elif out and (not expected_file.exists() or expected_file.read_text() != out):
        problems.append(f"{conf.name} --fix-dry-run: output differs from {expected_file.name}:\n"
                        f"{out}")
    elif not out and expected_file.exists():
        problems.append(f"{conf.name} --fix-dry-run: no fix-it, but {expected_file.name} exists")
    if err:
        problems.append(f"{conf.name} --fix-dry-run: stderr {err!r}")


MATCHER = HERE.parent.parent / "editors" / "github" / "pexilon-config-matcher.json"
COMMAND = re.compile(r"^::(error|warning) file=([^,]*),line=(\d+)(?:,col=(\d+),endColumn=(\d+))?"
                     r",title=pexilon-config \[((?:-W)?[a-z-]+)\]::(.*)$")
GCC_LINE = re.compile(r"^[^:]*:(\d+):(?:(\d+):)? (error|warning): .* \[((?:-W)?[a-z-]+)\]$")


def check_ci_forms(program, conf, outputs, problems):
    """--format=github gives one annotation a diagnostic, at its place; the
    problem matcher takes every line of --format=gcc, notes included."""
    found = json.loads(outputs["json"])
    _, out, _ = run(program, "check", "--format=github", conf.name)
    lines = out.splitlines()
    if len(lines) != len(found):
        problems.append(f"{conf.name}: {len(lines)} annotations for {len(found)} diagnostics")
    shown = [m for m in map(GCC_LINE.match, outputs["gcc"].splitlines()) if m]
    for line, g in zip(lines, shown):
        m = COMMAND.match(line)
        want = (g[3], conf.name, g[1], g[2], g[4])
        if not m or (m[1], m[2], m[3], m[4], m[6]) != want or "\n" in m[7]:
            problems.append(f"{conf.name}: annotation {line!r} is not {want}")
    patterns = [re.compile(m["pattern"][0]["regexp"])
                for m in json.loads(MATCHER.read_text())["problemMatcher"]]
    counts = [0, 0]
    for line in outputs["gcc"].splitlines():
        hits = [i for i, p in enumerate(patterns) if p.match(line)]
        if len(hits) != 1:
            problems.append(f"{conf.name}: the problem matcher takes {line!r} {len(hits)} times")
        else:
            counts[hits[0]] += 1
    notes = sum(len(d.get("children", [])) for d in found)
    if counts != [len(found), notes]:
        problems.append(f"{conf.name}: the problem matcher found {counts}, "
                        f"not {[len(found), notes]}")


def check_switches(program, conf, gcc_output, problems):
    """-Wno-NAME silences the file's own warning; --werror fails on a warning."""
    name = conf.stem
    if f"[-W{name}]" not in gcc_output:
        return
    _, out, _ = run(program, "check", f"-Wno-{name}", "--format=gcc", conf.name)
    if f"[-W{name}]" in out:
        problems.append(f"{conf.name}: -Wno-{name} did not silence it")
    _, out, _ = run(program, "check", f"-Wno-{name}", f"-W{name}", "--format=gcc", conf.name)
    if out != gcc_output:
        problems.append(f"{conf.name}: -W{name} after -Wno-{name} did not restore it")
    if " error: " not in gcc_output:
        status, _, _ = run(program, "check", "--werror", conf.name)
        if status != 1:
            problems.append(f"{conf.name}: --werror gave exit status {status}")


def check_explain(program, update, problems):
    for conf in sorted((HERE / "explain").glob("*.conf")):
        status, out, err = run(program, "explain", conf.name, cwd=conf.parent)
        expected_file = conf.with_suffix(".explain")
        if update:
            expected_file.write_text(out)
        elif status != 0 or err or expected_file.read_text() != out:
            problems.append(f"explain {conf.name}: status {status}, {err!r}, output:\n{out}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--update", action="store_true")
    args = parser.parse_args()
    args.program = str(pathlib.Path(args.program).resolve())
    problems = []
    check_cases(args.program, args.update, problems)
    check_explain(args.program, args.update, problems)
    for problem in problems:
        print("FAIL", problem)
    print(f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
