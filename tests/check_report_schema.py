#!/usr/bin/env python3
"""Checks JSON documents of `Kestro.exe --json` against docs/report.schema.json (JSON Schema
draft 2020-12), one PASS or FAIL line per document.

usage: check_report_schema.py <schema> <document>..."""

import json
import sys

from jsonschema import Draft202012Validator

failures = 0


def report(ok, text):
    global failures
    print(("PASS: " if ok else "FAIL: ") + text)
    failures += 0 if ok else 1


def load(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def errors(validator, document):
    return sorted(validator.iter_errors(document), key=lambda e: list(e.absolute_path))


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    schema = load(argv[0])
    Draft202012Validator.check_schema(schema)
    validator = Draft202012Validator(schema)

    for path in argv[1:]:
        try:
            document = load(path)
        except (OSError, ValueError) as e:
            report(False, f"{path} is not a JSON document: {e}")
            continue
        problems = errors(validator, document)
        report(not problems, f"{path} follows the schema" + "".join(
            f"\n  at /{'/'.join(map(str, p.absolute_path))}: {p.message}" for p in problems))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
