#!/usr/bin/env bash
# Checks that no module of src/ includes a module above it. Each module (a folder; the feature
# folders of src/app count as modules of their own) may include itself and the modules listed
# for it; anything else fails with the offending lines. The table itself must have no cycle,
# so no two modules can ever come to need each other.
#
# usage: check_layers.sh <source-dir>
set -uo pipefail

src="${1:?usage: $0 <source-dir>}/src"

declare -A allowed=(
  [base]=""
  [i18n]="base"
  [wmi]="base"
  [gfx]="base"
  [probe]="base i18n wmi"
  [app/updater]="base i18n"
  [app/settings]="base i18n"
  [app/view]="base i18n gfx probe"
  [app/access]="base i18n gfx probe app/view"
  [app/menu]="base i18n app/settings"
  [app/window]="base i18n wmi gfx probe app/updater app/settings app/view app/access app/menu"
  [app]="base i18n wmi gfx probe app/updater app/settings app/view app/access app/menu app/window"
)

status=0

# The table: a depth-first walk that meets a module still on its own path has found a cycle.
declare -A state=()
visit() {  # <module> <path so far>
  local module=$1 path=$2 next
  case ${state[$module]:-} in
    done) return 0 ;;
    open) echo "FAIL: the module table has a cycle: $path"; status=1; return 0 ;;
  esac
  state[$module]=open
  for next in ${allowed[$module]}; do
    if [[ -z ${allowed[$next]+set} ]]; then
      echo "FAIL: $module may use $next, which is no module"
      status=1
      continue
    fi
    visit "$next" "$path -> $next"
  done
  state[$module]=done
}
for module in "${!allowed[@]}"; do visit "$module" "$module"; done

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
    [[ $target == "$module" || " ${allowed[$module]} " == *" $target "* ]] && continue
    echo "FAIL: $rel:$line includes $included (module $module may use: ${allowed[$module]:-nothing else})"
    status=1
  done < <(grep -n -o -E '^#include "[^"]+"' "$file" | sed -E 's/#include "(.*)"/\1/')
  checked=$((checked + 1))
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if (( checked == 0 )); then
  echo "FAIL: no source files under $src"
  exit 1
fi
(( status == 0 )) && echo "PASS: $checked source files in ${#allowed[@]} modules include only their own and lower modules, and no two modules need each other"
exit "$status"
