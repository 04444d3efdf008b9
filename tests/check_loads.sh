#!/usr/bin/env bash
# Checks that Kestro's sources load DLLs and look up modules only through the typed loader
# (src/base/system_library_win32.h/.cpp), which loads from the system folder alone. A
# LoadLibrary*/GetModuleHandle* anywhere else (called, taken as a pointer or named for
# GetProcAddress) could take a DLL from the program's own folder, where the user's other
# programs can put one. Comments are not read. Prints PASS or one FAIL per line found.
#
# usage: check_loads.sh <source-dir>
set -uo pipefail

root="${1:?usage: $0 <source-dir>}"
loader=src/base/system_library_win32

status=0
checked=0
while IFS= read -r file; do
  rel=${file#"$root"/}
  checked=$((checked + 1))
  [[ $rel == "$loader.h" || $rel == "$loader.cpp" ]] && continue
  while IFS=: read -r line name; do
    echo "FAIL: $rel:$line: $name outside the typed loader ($loader.h/.cpp); use system_library," \
      "system_function or SystemFunction from base/system_library_win32.h"
    status=1
  done < <(sed -E 's#//.*##' "$file" |
           grep -n -o -E '\b(LoadLibrary|LoadPackagedLibrary|GetModuleHandle)[A-Za-z0-9_]*\b')
done < <(find "$root/src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if (( checked == 0 )); then
  echo "FAIL: no source files under $root/src"
  exit 1
fi
(( status == 0 )) && echo "PASS: $checked source files load DLLs only through the typed loader"
exit "$status"
