#!/usr/bin/env python3
"""Checks that the numbers of a `Kestro.exe --json` document are those its English plain-text
report shows: each processor's cores and threads, the installed memory, each drive's used and
total size, each display's size and refresh rate. Sizes are written as the report writes them.
One PASS or FAIL line per check.

usage: json_matches_report.py <report.txt> <document.json> [<report.txt> <document.json>...]"""

import json
import math
import re
import sys

failures = 0


def check(ok, text):
    global failures
    print(("PASS: " if ok else "FAIL: ") + text)
    failures += 0 if ok else 1


def fixed(value, decimals):
    return f"{value:.{decimals}f}"  # correctly rounded, halves to even, as the report


def format_bytes(count):
    units = ["B", "KB", "MB", "GB", "TB"]
    if count < 1024:
        return fixed(float(count), 0) + " B"
    value, unit = float(count) / 1024.0, 1
    while value >= 1024.0 and unit < len(units) - 1:
        value, unit = value / 1024.0, unit + 1
    whole = value >= 100.0 or abs(value - math.floor(value + 0.5)) < 0.05
    return fixed(value, 0 if whole else 1) + " " + units[unit]


def format_disk_size(count):
    gigabytes = float(count) / 1e9
    if gigabytes < 1000.0:
        return fixed(gigabytes, 0) + " GB"
    terabytes = fixed(gigabytes / 1000.0, 1)
    return (terabytes[:-2] if terabytes.endswith(".0") else terabytes) + " TB"


def section(lines, heading):
    """The lines of one card: after "[heading]" up to the next empty line."""
    try:
        start = lines.index(f"[{heading}]") + 1
    except ValueError:
        return []
    end = lines.index("", start) if "" in lines[start:] else len(lines)
    return lines[start:end]


def compare(report_path, document_path):
    with open(report_path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    with open(document_path, encoding="utf-8") as f:
        document = json.load(f)

    check(document.get("title") == lines[0], f"title {document.get('title')!r} is the report's {lines[0]!r}")

    cores = [re.fullmatch(r"Cores: (\d+) cores, (\d+) threads", line) for line in section(lines, "Processor")]
    cores = [(int(m[1]), int(m[2])) for m in cores if m]
    packages = [(p.get("cores", 0), p.get("threads", 0)) for p in document.get("processors", [])]
    check(packages and packages == cores, f"processor cores and threads {packages} are the report's {cores}")

    memory = document.get("memory", {})
    installed = format_bytes(memory.get("installed_bytes", memory.get("usable_bytes", 0)))
    shown = [line for line in section(lines, "Memory") if line.startswith("Installed: ")]
    check(shown and (shown[0] + " ").startswith(f"Installed: {installed} "),
          f"installed memory {installed} is the report's {shown}")

    drives = [re.fullmatch(r"Drive ([A-Z]): (.+) used of (.+)", line) for line in section(lines, "Storage")]
    drives = [(m[1], m[2], m[3]) for m in drives if m]
    written = [(d["letter"], format_disk_size(max(d["total_bytes"] - d["free_bytes"], 0)),
                format_disk_size(d["total_bytes"])) for d in document.get("drives", [])]
    check(written and written == drives, f"drives {written} (letter, used, total) are the report's {drives}")

    displays = [re.fullmatch(r".+: (\d+) × (\d+)(?: · (\d+) Hz)?", line) for line in section(lines, "Displays")]
    displays = [(int(m[1]), int(m[2]), int(m[3]) if m[3] else None) for m in displays if m]
    sizes = [(d["width"], d["height"], d.get("refresh_hz")) for d in document.get("displays", [])]
    check(sizes and sizes == displays, f"displays {sizes} (width, height, rate) are the report's {displays}")


def main(argv):
    if not argv or len(argv) % 2 != 0:
        print(__doc__, file=sys.stderr)
        return 2
    for report_path, document_path in zip(argv[::2], argv[1::2]):
        print(f"== {document_path}")
        compare(report_path, document_path)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
