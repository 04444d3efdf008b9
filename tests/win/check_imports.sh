#!/usr/bin/env bash
# Kestro.exe imports only DLLs that Windows keeps on its KnownDLLs list, which are always taken
# from the system folder. Any other DLL a program imports is first looked for beside the
# program, where other programs of the user can put one; Kestro loads those itself, from the
# system folder only. A delay-loaded DLL is no better: it is loaded on first use by a helper
# that searches beside the program too. So the check also fails on
#   - a Delay Import Directory (what MSVC's and LLVM's linkers write for /DELAYLOAD), and
#   - MinGW's own delay loading (a dlltool --output-delaylib library, linked by GNU ld, which
#     leaves that directory empty): its helper and descriptors in the symbol table, which is
#     therefore required.
# Prints PASS or FAIL; exits non-zero on FAIL.
#
# usage: check_imports.sh <Kestro.exe> [<objdump> [<control.exe> <expected failure>]...]
#   Each control is a program the check must refuse, with a word its failure must contain
#   (the test passes dwmapi_importer.exe and delay_importer.exe).
set -uo pipefail
exe=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
shift $(( $# < 2 ? $# : 2 ))

# Known DLLs of Windows 10 and 11 (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs)
# that Kestro may use; lower case.
allowed=(advapi32.dll combase.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
         setupapi.dll shell32.dll shlwapi.dll user32.dll)

# What is wrong with <file>'s loading, one line each; nothing when all is well.
problems() {  # <file>
  local headers imports outside delay symbols
  headers=$("$objdump" -p "$1" 2>/dev/null)
  imports=$(awk '/DLL Name:/ { print tolower($3) }' <<<"$headers" | sort -u)
  if [[ -z $imports ]]; then
    echo "no import table read"
    return
  fi
  outside=$(comm -23 <(echo "$imports") <(printf '%s\n' "${allowed[@]}" | sort -u) | paste -sd' ')
  [[ -z $outside ]] || echo "imports DLLs that are not known DLLs: $outside"
  # "Entry d <rva> <size> Delay Import Directory"
  delay=$(awk '/Delay Import Directory/ && ($3 !~ /^0+$/ || $4 !~ /^0+$/) { print "rva 0x" $3 ", size 0x" $4 }' \
    <<<"$headers")
  [[ -z $delay ]] || echo "has a Delay Import Directory ($delay): DLLs are delay-loaded"
  symbols=$("$objdump" -t "$1" 2>/dev/null | awk '$NF ~ /^_/ { print $NF }')
  if [[ -z $symbols ]]; then
    echo "has no symbol table, so MinGW's delay loading could not be seen"
    return
  fi
  delay=$(grep -E '^__(DELAY_IMPORT_DESCRIPTOR_.+|delayLoadHelper2)$' <<<"$symbols" | sort -u | paste -sd' ')
  [[ -z $delay ]] || echo "delay-loads DLLs through MinGW's delay-load helper: $delay"
}

found=$(problems "$exe")
if [[ -n $found ]]; then
  status=1
  while IFS= read -r line; do echo "FAIL: $(basename "$exe") $line"; done <<<"$found"
else
  status=0
  echo "PASS: $(basename "$exe") imports only known DLLs and delay-loads none:" \
    "$(awk '/DLL Name:/ { print tolower($3) }' < <("$objdump" -p "$exe") | sort -u | paste -sd' ')"
fi

# The controls: programs the check exists to refuse.
while (( $# >= 2 )); do
  found=$(problems "$1")
  if grep -qi -- "$2" <<<"$found"; then
    echo "PASS: $(basename "$1") is refused: $(grep -i -m1 -- "$2" <<<"$found")"
  else
    echo "FAIL: $(basename "$1") should be refused for '$2'; found: ${found:-nothing}"
    status=1
  fi
  shift 2
done
exit "$status"
