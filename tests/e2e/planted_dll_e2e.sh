#!/usr/bin/env bash
# A copy of Kestro.exe in a folder where another program of the user has put DLLs named after
# system DLLs (planted_dlls.sh), under Wine in a fresh copy of the test prefix: the report and
# the window start and work as usual, and none of the planted DLLs is ever loaded. A program
# that imports dwmapi.dll directly, in the same folder, shows that a planted DLL would be.
# Every check prints PASS or FAIL; exits non-zero when any failed.
#
# usage: planted_dll_e2e.sh <Kestro.exe> <planted_dll.dll> <dwmapi_importer.exe>
#                           <limited_launcher.exe> <window_poke.exe> <uia_walk.exe> <source-dir> <build-dir>
set -uo pipefail

# shellcheck source=wine_script.sh
source "$(dirname "$0")/wine_script.sh" built_exe dll_file importer_exe launcher_exe poke_exe walk_exe repo build -- "$@"

version=$(built_version "$build") || { echo "FAIL: no version header in $build"; exit 1; }
work="$build/tests/e2e/planted_dll_e2e"
rm -rf "$work"
folder="$work/Downloads"
mkdir -p "$folder"
e2e_fresh_prefix "$work"
# shellcheck source=planted_dlls.sh
source "$repo/tests/e2e/planted_dlls.sh"

# The control: a program that imports dwmapi.dll directly takes the one beside it.
cp "$importer_exe" "$dll_file" "$work/"
cp "$dll_file" "$work/dwmapi.dll"
kh_wine 60 "$work/$(basename "$importer_exe")" </dev/null >/dev/null 2>&1
check "control: a direct import loads the planted dwmapi.dll" test -e "$work/dwmapi.dll.loaded"

cp "$built_exe" "$folder/Kestro.exe"
plant_dlls "$dll_file" "$folder" || { echo "FAIL: DLLs could not be planted"; exit 1; }
exe="$folder/Kestro.exe"
# shellcheck source=kestro_window.sh
source "$repo/tests/e2e/kestro_window.sh"

rc=0
kh_wine 180 "$exe" --report </dev/null >"$work/report.txt" 2>/dev/null || rc=$?
check "--report beside the planted DLLs exits with 0 (got $rc)" test "$rc" -eq 0
check "--report prints the whole report" \
  test "$(tail -n1 "$work/report.txt")" == "— Kestro $version · https://lumwerk.example/Kestro/"
check "--report loads no planted DLL (loaded: $(planted_loaded "$folder"))" test -z "$(planted_loaded "$folder")"

# The window with the user's own rights, so that the updater's start-up work runs too, and a
# screen reader's client, so that UI Automation is loaded.
launch=("$launcher_exe")
if start_app; then
  check "the window shows the report" kh_wait_for 120 loaded
  check "F5 reloads it" reload_seen
  check "the report is back after F5" kh_wait_for 120 loaded
  poke close >/dev/null
  expect_exit "the window beside the planted DLLs"
else
  fail "the window beside the planted DLLs: no window"
  app_kill
fi
check "the window loads no planted DLL (loaded: $(planted_loaded "$folder"))" test -z "$(planted_loaded "$folder")"

echo "planted_dll_e2e: $failures failed"
(( failures == 0 ))
