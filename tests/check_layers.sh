#!/usr/bin/env bash
# Checks that no module of src/ includes a module above it. Each module may include itself
# and the modules listed for it; anything else fails with the offending lines.
#
# usage: check_layers.sh <source-dir>
set -uo pipefail

src="${1:?usage: $0 <source-dir>}/src"

declare -A allowed=(
  [base]="base"
  [i18n]="base i18n"
  [wmi]="base wmi"
  [gfx]="base gfx"
  [probe]="base i18n wmi probe"
  [app/updater]="base i18n app/updater"
  [app]="base i18n wmi gfx probe app app/updater"
)

status=0
checked=0
while IFS= read -r file; do
  rel=${file#"$src"/}
  module=$(dirname "$rel")
  if [[ -z ${allowed[$module]+set} ]]; then
    echo "FAIL: $rel lies in no known module"
    status=1
    continue
  fi
  while IFS=: read -r line included; do
    target=$(dirname "$included")
    [[ " ${allowed[$module]} " == *" $target "* ]] && continue
    echo "FAIL: $rel:$line includes $included (module $module may use: ${allowed[$module]})"
    status=1
  done < <(grep -n -o -E '^#include "[^"]+"' "$file" | sed -E 's/#include "(.*)"/\1/')
  checked=$((checked + 1))
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if (( checked == 0 )); then
  echo "FAIL: no source files under $src"
  exit 1
fi
(( status == 0 )) && echo "PASS: $checked source files include only their own and lower modules"
exit "$status"
