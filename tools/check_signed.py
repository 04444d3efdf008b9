#!/usr/bin/env python3
"""Checks a signed Kestro.exe or installer the way Kestro's updater will judge it.

    check_signed.py --cafile CHAIN.pem --publisher NAME --program PROGRAM --version X.Y.Z
                    [--no-timestamp] [--tsa-cafile FILE] FILE...
    check_signed.py --show FILE

For each FILE: its Authenticode signature verifies against CHAIN.pem (osslsigncode verify); the
signer's common name is exactly NAME; the signature's program name (osslsigncode -n) is exactly
PROGRAM ("Kestro" for Kestro.exe, "Kestro Setup" for the installer); a timestamp server countersigned it and that countersignature verifies (unless
--no-timestamp; its chain against --tsa-cafile, by default the system's certificates); the
version resource's fixed file version (VS_FIXEDFILEINFO, the numbers Windows and the updater
compare, not the FileVersion text) is X.Y.Z.0; and its ProductName is "Kestro" (followed by
nothing but the spaces Inno Setup pads it with). Prints one line per problem, or one "ok" line
per file; exits 1 on any problem, 2 on wrong usage. --show prints the fixed file version and
the version resource's texts of FILE.
"""

import argparse
import re
import struct
import subprocess
import sys

PRODUCT = "Kestro"
RT_VERSION = 16
FIXED_SIGNATURE = 0xFEEF04BD


class NotPe(Exception):
    pass


# What reading a file that is no PE file, or a damaged one, can raise.
UNREADABLE = (NotPe, struct.error, StopIteration, UnicodeDecodeError, OSError)


def _version_block(data):
    """The bytes of the first RT_VERSION resource of a PE file."""
    if data[:2] != b"MZ":
        raise NotPe("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise NotPe("no PE header")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    # The data directories follow the optional header's fixed part: 96 bytes in PE32
    # (32-bit programs, such as the installer), 112 in PE32+.
    magic = struct.unpack_from("<H", data, optional)[0]
    if magic not in (0x10B, 0x20B):
        raise NotPe("unknown optional header")
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
    if resource_rva == 0:
        raise NotPe("no resources")
    table = optional + optional_size

    def offset(rva):
        for index in range(sections):
            size, address, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * index + 8)
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise NotPe(f"address 0x{rva:x} lies in no section")

    base = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for index in range(named + numbered):
            yield struct.unpack_from("<II", data, base + directory + 16 + 8 * index)

    # Type, then name, then language; the first name and language of RT_VERSION.
    level = next((target for name, target in entries(0) if name == RT_VERSION), None)
    if level is None:
        raise NotPe("no version resource")
    for _ in range(2):
        if not level & 0x80000000:
            raise NotPe("malformed resource directory")
        level = next(entries(level & 0x7FFFFFFF))[1]
    rva, size = struct.unpack_from("<II", data, base + level)
    start = offset(rva)
    return data[start:start + size]


def _blocks(data, at, end):
    """(key, value bytes, value type, children start, block end) of each block in [at, end)."""
    while at + 6 <= end:
        length, value_length, kind = struct.unpack_from("<HHH", data, at)
        if length == 0:
            break
        key_end = at + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[at + 6:key_end].decode("utf-16-le")
        value = (key_end + 2 + 3) & ~3
        value_bytes = value_length * 2 if kind == 1 else value_length
        yield key, data[value:value + value_bytes], kind, (value + value_bytes + 3) & ~3, at + length
        at = (at + length + 3) & ~3


def version_resource(path):
    """(fixed file version "a.b.c.d", {text name: value}) of a PE file's version resource."""
    with open(path, "rb") as file:
        block = _version_block(file.read())
    root = next(_blocks(block, 0, len(block)), None)
    if root is None or root[0] != "VS_VERSION_INFO" or len(root[1]) < 16:
        raise NotPe("malformed version resource")
    signature, _, most, least = struct.unpack_from("<IIII", root[1])
    if signature != FIXED_SIGNATURE:
        raise NotPe("no VS_FIXEDFILEINFO in the version resource")
    fixed = f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"
    texts = {}
    for key, _, _, children, end in _blocks(block, root[3], root[4]):
        if key != "StringFileInfo":
            continue
        for _, _, _, strings, table_end in _blocks(block, children, end):
            for name, value, _, _, _ in _blocks(block, strings, table_end):
                texts.setdefault(name, value.decode("utf-16-le").rstrip("\0"))
    return fixed, texts


def signature_problems(path, cafile, tsa_cafile, publisher, program, timestamped):
    command = ["osslsigncode", "verify", "-in", path, "-CAfile", cafile]
    if tsa_cafile:
        command += ["-TSA-CAfile", tsa_cafile]
    run = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    report = run.stdout + run.stderr
    if run.returncode != 0 or "Signature verification: ok" not in report:
        return ["the signature does not verify against the certificate's chain"]
    problems = []
    signer = re.search(r"Signer's certificate:\s*-+\s*Signer #0:\s*Subject: (.*)", report)
    common_name = re.search(r"/CN=(.*?)(?=/[A-Za-z0-9.]+=|$)", signer.group(1)) if signer else None
    if common_name is None or common_name.group(1) != publisher:
        problems.append(f"signed by '{signer.group(1) if signer else '?'}', not CN={publisher}")
    description = re.search(r"Text description: (.*)", report)
    if description is None or description.group(1) != program:
        problems.append(f"the signature's program name is "
                        f"'{description.group(1) if description else ''}', not {program}")
    if timestamped:
        if "Timestamp time:" not in report:
            problems.append("the signature carries no timestamp")
        elif "Timestamp Server Signature verification: ok" not in report:
            problems.append("the timestamp's countersignature does not verify")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--show", action="store_true")
    parser.add_argument("--cafile")
    parser.add_argument("--tsa-cafile")
    parser.add_argument("--publisher")
    parser.add_argument("--program")
    parser.add_argument("--version")
    parser.add_argument("--no-timestamp", action="store_true")
    parser.add_argument("files", nargs="+")
    options = parser.parse_args()
    if options.show:
        try:
            fixed, texts = version_resource(options.files[0])
        except UNREADABLE as error:
            print(f"{options.files[0]}: no readable version resource ({error})", file=sys.stderr)
            return 1
        print(f"fixed file version: {fixed}")
        for name, value in texts.items():
            print(f"{name}: {value}")
        return 0
    if not (options.cafile and options.publisher and options.program and options.version):
        parser.error("--cafile, --publisher, --program and --version are required")

    failed = False
    for path in options.files:
        problems = signature_problems(path, options.cafile, options.tsa_cafile, options.publisher,
                                      options.program, not options.no_timestamp)
        try:
            fixed, texts = version_resource(path)
            if fixed != options.version + ".0":
                problems.append(f"the fixed file version is {fixed}, not {options.version}.0")
            # Inno Setup pads each text of an installer's version resource with spaces (its
            # compiler rewrites them in place): "Kestro" and 54 spaces, as VerQueryValueW
            # gives it too.
            if texts.get("ProductName", "").rstrip(" ") != PRODUCT:
                problems.append(f"ProductName is '{texts.get('ProductName', '')}', not {PRODUCT}")
        except UNREADABLE as error:
            problems.append(f"no readable version resource ({error})")
        for problem in problems:
            print(f"{path}: {problem}")
        if not problems:
            stamp = "timestamped" if not options.no_timestamp else "not timestamped (test release)"
            print(f"ok: {path}: signed by {options.publisher} for {options.program}, {stamp}, "
                  f"version {options.version}.0, ProductName {PRODUCT}")
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
