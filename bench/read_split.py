#!/usr/bin/env python3
"""A plain reading of result lines, the reference of the compare bench: every
line of the logs split at its separators and each of its eight scores parsed
as a number ("," read as "."), nothing checked, nothing kept.

Usage: read_split.py LOG...
"""
import sys


def main():
    lines = 0
    for path in sys.argv[1:]:
        with open(path, "rb") as log:
            for line in log:
                fields = line.rstrip(b"\r\n").split(b"|")
                if len(fields) != 8:
                    continue
                try:
                    fill, read = fields[4].split(b"/")
                    scores = [float(f.replace(b",", b".")) for f in
                              fields[1:4] + [fill, read] + fields[5:]]
                except ValueError:
                    continue
                lines += len(scores) > 0
    print(lines)


if __name__ == "__main__":
    main()
