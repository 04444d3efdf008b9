#!/usr/bin/env python3
"""Checks JSON documents of `Kestro.exe --json` against docs/report.schema.json (JSON Schema
draft 2020-12), one PASS or FAIL line per document.

usage: check_report_schema.py <schema> <document>...
       check_report_schema.py --rejects <schema> <document>
The second form checks that the schema refuses what the document must never hold: each of a
table of changes to the (valid) document has to make it invalid."""

import copy
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


# (what, path to the member set, its new value)
CHANGES = [
    ("a fact left empty", ["title"], ""),
    ("a null fact", ["needs_admin"], None),
    ("another format", ["format"], "kestro"),
    ("another version", ["version"], 2),
    ("a key the schema does not list", ["system", "serial"], "X1"),
    ("a number written as text", ["system", "uptime_seconds"], "3600"),
    ("a negative number", ["system", "uptime_seconds"], -1),
    ("a fraction", ["displays", 0, "refresh_hz"], 59.94),
    ("a kind in the report's words", ["disks", 0, "kind"], "NVMe SSD"),
    ("a bus not in the list", ["disks", 0, "bus"], "pcie"),
    ("a health word in capitals", ["disks", 0, "health"], "Healthy"),
    ("a date in another form", ["system", "bios", "date"], "07/21/2022"),
    ("a percentage above 100", ["batteries", 0, "health_percent"], 101),
    ("an empty list", ["graphics"], []),
    ("an empty object", ["windows"], {}),
    ("a drive letter with its colon", ["drives", 0, "letter"], "C:"),
]


def changed(document, path, value):
    altered = copy.deepcopy(document)
    parent = altered
    for step in path[:-1]:
        parent = parent[step]
    parent[path[-1]] = value
    return altered


def reachable(document, path):
    node = document
    for step in path[:-1]:
        try:
            node = node[step]
        except (KeyError, IndexError, TypeError):
            return False
    return True


def main(argv):
    rejects = argv[:1] == ["--rejects"]
    if rejects:
        argv = argv[1:]
    if len(argv) < 2 or (rejects and len(argv) != 2):
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

    if rejects:
        document = load(argv[1])
        for what, path, value in CHANGES:
            if not reachable(document, path):
                report(False, f"{what}: {argv[1]} has no /{'/'.join(map(str, path[:-1]))} to change")
                continue
            refused = bool(errors(validator, changed(document, path, value)))
            report(refused, f"the schema refuses {what} (/{'/'.join(map(str, path))})")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
