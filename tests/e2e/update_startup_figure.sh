#!/usr/bin/env bash
# Start-up with an update check due (the curl stand-in taking 2 s to answer) against start-up
# with none due: time from launching Kestro.exe under Wine to the report on screen (the "Copy
# all" button drawn), alternating the two kinds, median of each, and their ratio (expected at
# most 1.05: the check runs on its own thread). Kestro runs with the user's own rights
# (limited_launcher.exe of the build), as only such a copy checks. A figure, not a test.
#
# usage: update_startup_figure.sh <Kestro.exe> <curl.exe> <source-dir> <build-dir> [runs-each]
set -uo pipefail
exe=$(realpath "$1")
curl_exe=$(realpath "$2")
repo=$(realpath "$3")
build=$(realpath "$4")
runs=${5:-7}

source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
work="$build/tests/e2e/update_startup_figure"
rm -rf "$work"
mkdir -p "$work"
kh_fresh_prefix "$(kh_template_for "$build/wineprefix")" "$work/prefix" || exit 1
kh_prefix_ready "$work/prefix" || exit 1
root="$work/prefix/drive_c/kestro-test"
mkdir -p "$root/www/lumwerk.example/Kestro"
cp --remove-destination "$curl_exe" "$work/prefix/drive_c/windows/system32/curl.exe"
source "$repo/tests/e2e/checks.sh"
printf '{"version": "%s", "url": "https://lumwerk.example/dl/K.exe", "sha256": "00", "size": 1}' \
  "$(built_version "$build")" >"$root/www/lumwerk.example/Kestro/update.json"
echo 2000 >"$root/www/lumwerk.example/Kestro/update.json.delay-ms"
poke_exe="$build/tests/e2e/window_poke.exe"
source "$repo/tests/e2e/kestro_window.sh"
launch=("$build/tests/e2e/limited_launcher.exe")
lines() { if [[ -f $1 ]]; then wc -l <"$1"; else echo 0; fi; }
curl_idle() { (( $(lines "$root/curl-exits.log") >= $(lines "$root/curl-calls.log") )); }

one_run() {  # <due|none>: prints seconds to the report
  if [[ $1 == due ]]; then
    reg_delete LastUpdateCheck
  else
    kh_reg_add "$settings_key" LastUpdateCheck REG_SZ "$(date +%s)"
  fi
  local start=$EPOCHREALTIME calls
  calls=$(lines "$root/curl-calls.log")
  start_app && kh_wait_for 120 copy_all_drawn 2563EB
  local end=$EPOCHREALTIME
  local called=$(( $(lines "$root/curl-calls.log") - calls ))
  poke close >/dev/null 2>&1
  wait "$app_pid" 2>/dev/null
  kh_wait_for 10 curl_idle
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }') $called"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

one_run none >/dev/null  # warm-up: fonts, caches, the wineserver
due=() none=()
for (( i = 0; i < runs; ++i )); do
  read -r t c < <(one_run due); due+=("$t"); [[ $c == 1 ]] || echo "warning: due run made $c calls"
  read -r t c < <(one_run none); none+=("$t"); [[ $c == 0 ]] || echo "warning: run without a check made $c calls"
done
md=$(printf '%s\n' "${due[@]}" | median)
mn=$(printf '%s\n' "${none[@]}" | median)
echo "check due:  ${due[*]}"
echo "none due:   ${none[*]}"
awk -v d="$md" -v n="$mn" 'BEGIN { printf "median to the report: %.3f s with a check due, %.3f s without; ratio %.3f\n", d, n, d / n }'
