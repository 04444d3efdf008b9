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


def named_keys(schema):
    """Every key the schema names anywhere."""
    if isinstance(schema, dict):
        names = set(schema.get("properties", {}))
        for value in schema.values():
            names |= named_keys(value)
        return names
    if isinstance(schema, list):
        return set().union(*map(named_keys, schema)) if schema else set()
    return set()


def unnamed_keys(document, names, at=""):
    """Keys of `document` the schema does not name: the schema lets readers pass over keys a
    later version adds, so Kestro's own documents are held to the keys it names here."""
    if isinstance(document, dict):
        for key, value in document.items():
            if key not in names:
                yield f"{at}/{key}"
            yield from unnamed_keys(value, names, f"{at}/{key}")
    elif isinstance(document, list):
        for i, value in enumerate(document):
            yield from unnamed_keys(value, names, f"{at}/{i}")


def with_later_keys(document):
    if isinstance(document, dict):
        return {**{k: with_later_keys(v) for k, v in document.items()}, "a_later_key": {"x": 1}}
    if isinstance(document, list):
        return [with_later_keys(v) for v in document]
    return document


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
        problems = [f"at /{'/'.join(map(str, p.absolute_path))}: {p.message}"
                    for p in errors(validator, document)]
        problems += [f"at {key}: a key the schema does not name"
                     for key in unnamed_keys(document, named_keys(schema))]
        report(not problems, f"{path} follows the schema" + "".join(f"\n  {p}" for p in problems))
        # A reader holding this schema must take the same document from a later version 1,
        # which may add a key to any object.
        later = errors(validator, with_later_keys(document))
        report(not later, f"{path} with a later version's keys follows the schema" + "".join(
            f"\n  at /{'/'.join(map(str, p.absolute_path))}: {p.message}" for p in later))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
