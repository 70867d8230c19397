#!/usr/bin/env python3
"""Every relative link and image in README.md and docs/*.md must resolve: the
file it names exists, and an anchor after '#' names a heading of that file
(headings turned into anchors as the usual Markdown renderers do)."""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)(?:\s+\"[^\"]*\")?\)")


def anchors(path):
    names, fence = set(), False
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("```"):
            fence = not fence
        elif not fence and line.startswith("#"):
            title = line.lstrip("#").strip().lower()
            title = re.sub(r"[^\w\- ]", "", title)
            names.add(title.replace(" ", "-"))
    return names


def faults(root):
    files = [root / "README.md"] + sorted((root / "docs").glob("*.md"))
    found = []
    for doc in files:
        text = doc.read_text(encoding="utf-8")
        text = re.sub(r"```.*?```", "", text, flags=re.S)
        for target in LINK.findall(text):
            if re.match(r"^[a-z]+:", target):
                continue  # a web address or mail: not checked here
            name, _, anchor = target.partition("#")
            dest = (doc.parent / name).resolve() if name else doc
            where = f"{doc.relative_to(root)}: {target}"
            if not dest.exists():
                found.append(f"{where}: no such file")
            elif anchor and dest.suffix == ".md" and anchor not in anchors(dest):
                found.append(f"{where}: no heading for #{anchor}")
    return found


if __name__ == "__main__":
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    problems = faults(root)
    for p in problems:
        print(p)
    print(f"{len(problems)} broken links")
    sys.exit(1 if problems else 0)
