#!/usr/bin/env python3
"""The engine stays readable: no function in engine/ or tools/splicora-join/ runs past 60 lines,
and CMerger declares at most 32 fields.

Usage: engine_shape.py SOURCE_DIR
"""
import glob
import os
import re
import sys

MAX_LINES = 60
MAX_FIELDS = 32


def blank_comments_and_literals(src):
    """The source with comments and literal contents blanked, line breaks kept."""
    keep_lines = lambda m: re.sub(r"[^\n]", " ", m.group(0))
    pattern = r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\''
    return re.sub(pattern, keep_lines, src, flags=re.S)


def function_lengths(path):
    """(lines, first line, name) of each outermost function body in the file."""
    s = blank_comments_and_literals(open(path, encoding="utf-8").read())
    stack, statement_start, found = [], 0, []
    for i, c in enumerate(s):
        if c == "{":
            head = s[statement_start:i].strip()
            kind = "block"
            if not any(k == "function" for k, _ in stack):
                scope = re.search(r"\bnamespace\b", head) or re.search(
                    r"\b(class|struct|enum|union)\b[^()]*$", head) or head.endswith("=")
                kind = "scope" if scope else "function" if ")" in head else "block"
            head_start = statement_start + len(s[statement_start:i]) - len(
                s[statement_start:i].lstrip())
            stack.append((kind, head_start))
            statement_start = i + 1
        elif c == "}":
            if stack:
                kind, start = stack.pop()
                if kind == "function" and not any(k == "function" for k, _ in stack):
                    first = s.count("\n", 0, start) + 1
                    name = " ".join(s[start:s.find("(", start)].split())[-60:]
                    found.append((s.count("\n", 0, i) + 2 - first, first, name))
            statement_start = i + 1
        elif c == ";":
            statement_start = i + 1
    return found


def merger_fields(header):
    """The data members declared at the top level of class CMerger."""
    s = blank_comments_and_literals(open(header, encoding="utf-8").read())
    s = s[s.index("class CMerger final"):]
    depth, top = 0, []
    for c in s[s.index("{"):]:
        if c == "{":
            depth += 1
        elif c == "}":
            depth -= 1
            if depth == 0:
                break
        elif depth == 1:
            top.append(c)
    fields = []
    for statement in "".join(top).split(";"):
        statement = " ".join(statement.split())
        name = re.search(r"\b(m_\w+)\b", statement)
        if not name or statement.startswith(("using", "friend", "static", "template")):
            continue
        if "(" in statement.split(name.group(1))[0]:
            continue  # a method taking or returning a field
        fields.append(name.group(1))
    return fields


def main():
    source = sys.argv[1]
    files = sorted(glob.glob(os.path.join(source, "engine", "*.[ch]*")) +
                   glob.glob(os.path.join(source, "tools", "splicora-join", "*.[ch]*")))
    failures = 0
    for path in files:
        for lines, first, name in function_lengths(path):
            if lines > MAX_LINES:
                print(f"{os.path.relpath(path, source)}:{first}: {name} runs {lines} lines")
                failures += 1
    fields = merger_fields(os.path.join(source, "engine", "merger.h"))
    if len(fields) > MAX_FIELDS:
        print(f"CMerger declares {len(fields)} fields: {' '.join(fields)}")
        failures += 1
    print(f"{len(files)} files, CMerger fields: {len(fields)}; {failures} over the limits")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
