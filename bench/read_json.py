#!/usr/bin/env python3
"""A plain reading of records, the reference of the compare bench for records
logs: every line of the logs given to json.loads, nothing checked, nothing
kept.

Usage: read_json.py LOG...
"""
import json
import sys


def main():
    records = 0
    for path in sys.argv[1:]:
        with open(path, "rb") as log:
            for line in log:
                json.loads(line)
                records += 1
    print(records)


if __name__ == "__main__":
    main()
