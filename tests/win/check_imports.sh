#!/usr/bin/env bash
# Kestro.exe imports only DLLs that Windows keeps on its KnownDLLs list, which are always taken
# from the system folder. Any other DLL a program imports is first looked for beside the
# program, where other programs of the user can put one; Kestro loads those itself, from the
# system folder only. Prints PASS or FAIL; exits non-zero on FAIL.
#
# usage: check_imports.sh <Kestro.exe> [<objdump>]
set -uo pipefail
exe=$1
objdump=${2:-x86_64-w64-mingw32-objdump}

# Known DLLs of Windows 10 and 11 (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs)
# that Kestro may use; lower case.
allowed=(advapi32.dll combase.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
         setupapi.dll shell32.dll shlwapi.dll user32.dll)

imports=$("$objdump" -p "$exe" | awk '/DLL Name:/ { print tolower($3) }' | sort -u)
if [[ -z $imports ]]; then
  echo "FAIL: no import table read from $exe"
  exit 1
fi
outside=$(comm -23 <(echo "$imports") <(printf '%s\n' "${allowed[@]}" | sort -u))
if [[ -n $outside ]]; then
  echo "FAIL: Kestro.exe imports DLLs that are not known DLLs:" $outside
  exit 1
fi
echo "PASS: Kestro.exe imports only known DLLs:" $imports
