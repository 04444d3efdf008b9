#!/usr/bin/env bash
# The README's run command as a new user runs it on a machine without a display:
# `./run.sh --report` prints the report and `./run.sh --json` the JSON document, each ending
# with 0; `./run.sh` shows the window on a virtual screen and keeps a screenshot and the copied
# report. Prints PASS or FAIL per check.
#
# usage: run_command_e2e.sh <source-dir> <build-root>
set -uo pipefail

if (( $# != 2 )); then
  echo "usage: $0 <source-dir> <build-root>" >&2
  exit 2
fi
repo=$(realpath "$1")
build_root=$(realpath "$2")
work="$build_root/run-command"
mkdir -p "$work"

# shellcheck source=checks.sh
source "$repo/tests/e2e/checks.sh"

run_headless() { env -u DISPLAY KESTRO_BUILD_ROOT="$build_root" timeout 900 bash "$repo/run.sh" "$@"; }

rc=0
run_headless --report >"$work/report.txt" 2>"$work/report.err" </dev/null || rc=$?
check "./run.sh --report without a display ends with 0 (got $rc)" test "$rc" -eq 0
# The footer names the version of the build run.sh made.
footer="— Kestro $(built_version "$build_root/win") · https://lumwerk.example/Kestro/"
check "./run.sh --report printed the report (title, [headings], footer '$footer')" \
  bash -c '[[ -n $(head -n1 "$1") ]] && grep -q "^\[.*\]$" "$1" && [[ $(tail -n1 "$1") == "$2" ]]' \
  _ "$work/report.txt" "$footer"
check "./run.sh --report wrote nothing else to standard output" \
  bash -c '! grep -q -e "==" -e "harness:" "$1"' _ "$work/report.txt"

rc=0
run_headless --json >"$work/report.json" 2>"$work/json.err" </dev/null || rc=$?
check "./run.sh --json without a display ends with 0 (got $rc)" test "$rc" -eq 0
check "./run.sh --json printed the JSON document and nothing else" python3 -c '
import json, sys
with open(sys.argv[1], encoding="utf-8") as f:
    sys.exit(json.load(f).get("format") != "kestro-report")' "$work/report.json"

rc=0
run_headless >"$work/window.txt" 2>&1 </dev/null || rc=$?
check "./run.sh without a display ends with 0 (got $rc)" test "$rc" -eq 0
shot="$build_root/win/run-output/kestro-window.png"
copied="$build_root/win/run-output/kestro-copy-all.txt"
check "./run.sh kept a screenshot of the window" test -s "$shot"
check "./run.sh kept the copied report, ending with the footer" \
  bash -c '[[ $(tail -n1 "$1") == "$2" ]]' _ "$copied" "$footer"

echo "run_command_e2e: $failures failed"
(( failures == 0 ))
