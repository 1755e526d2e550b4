#!/usr/bin/env python3
"""Checks the TextMate grammar against data/highlight.kinds.

A small tokenizer of the grammar's subset (match, begin/end with captures,
name, contentName, include from the repository), as TextMate engines apply
it: at each position the earliest match wins, the end pattern before the
rule's own patterns, and among patterns the first listed.
Usage: textmate_highlight.py GRAMMAR DATA_DIR
"""
import json
import re
import sys

KINDS = [  # scope prefix -> kind; the innermost scope of a character decides
    ("comment.line", "comment"), ("entity.name.section", "section"),
    ("entity.other.attribute-name.variant", "variant"),
    ("punctuation.definition.section", "bracket"), ("support.type.property-name", "key"),
    ("variable.other.key", "unknown-key"), ("punctuation.separator", "separator"),
    ("constant.numeric", "number"), ("keyword.control.block", "marker"),
    ("string.unquoted.code", "code"),
]


class Grammar:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.data = json.load(f)
        self.cache = {}

    def regex(self, text):
        if text not in self.cache:
            self.cache[text] = re.compile(text)
        return self.cache[text]

    def patterns(self, rule):
        """The rules a context tries, with includes resolved, in order."""
        for item in rule.get("patterns", []):
            if "include" in item:
                yield from self.patterns({"patterns": [self.data["repository"][item["include"][1:]]]})
            elif "match" in item or "begin" in item:
                yield item
            else:
                yield from self.patterns(item)


def paint(scopes, start, end, name):
    for i in range(start, end):
        scopes[i].append(name)


def paint_captures(scopes, match, captures):
    for group, capture in (captures or {}).items():
        if match.start(int(group)) >= 0 and "name" in capture:
            paint(scopes, match.start(int(group)), match.end(int(group)), capture["name"])


def tokenize(grammar, lines):
    stack = []  # begin/end rules in force
    result = []
    for line in lines:
        scopes = [[] for _ in line]
        for rule in stack:  # rules carried over from earlier lines cover this one
            paint(scopes, 0, len(line), rule.get("name", ""))
            paint(scopes, 0, len(line), rule.get("contentName", ""))
        pos, steps = 0, 0
        while pos <= len(line) and steps < 1000:
            steps += 1
            context = stack[-1] if stack else grammar.data
            best = None  # (start, order, rule, match, is_end)
            if stack:
                m = grammar.regex(stack[-1]["end"]).search(line, pos)
                if m:
                    best = (m.start(), -1, stack[-1], m, True)
            for order, rule in enumerate(grammar.patterns(context)):
                m = grammar.regex(rule.get("match") or rule["begin"]).search(line, pos)
                if m and (best is None or m.start() < best[0]):
                    best = (m.start(), order, rule, m, False)
            if best is None:
                break
            _, _, rule, m, is_end = best
            if is_end:
                # The rule's scopes were painted to the line's end; they stop
                # where the end match stops, its content where it starts.
                for i in range(m.start(), len(line)):
                    for name in (rule.get("contentName"), rule.get("name")):
                        if name in scopes[i]:
                            scopes[i].remove(name)
                paint(scopes, m.start(), m.end(), rule.get("name", ""))
                paint_captures(scopes, m, rule.get("endCaptures"))
                stack.pop()
                pos = m.end()
            elif "match" in rule:
                paint(scopes, m.start(), m.end(), rule.get("name", ""))
                paint_captures(scopes, m, rule.get("captures"))
                pos = m.end() if m.end() > pos else pos + 1
            else:
                paint(scopes, m.start(), len(line), rule.get("name", ""))
                paint_captures(scopes, m, rule.get("beginCaptures"))
                paint(scopes, m.end(), len(line), rule.get("contentName", ""))
                stack.append(rule)
                pos = m.end()
        result.append(scopes)
    return result


def kind(scope_list):
    for scope in reversed(scope_list):
        for prefix, name in KINDS:
            if scope.startswith(prefix):
                return name
    return "plain"


def main():
    grammar = Grammar(sys.argv[1])
    data = sys.argv[2]
    with open(data + "/highlight.conf", encoding="utf-8") as f:
        lines = f.read().split("\n")
    scopes = tokenize(grammar, lines)
    failures = 0
    with open(data + "/highlight.kinds", encoding="utf-8") as f:
        for row in f:
            if not row.strip() or row.startswith("#"):
                continue
            number, text, want = row.split()
            line = int(number) - 1
            column = lines[line].find(text)
            got = kind(scopes[line][column]) if column >= 0 else "missing"
            if got != want:
                print("%s: shown as %s %s" % (row.strip(), got, scopes[line][column]))
                failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
