#!/usr/bin/env bash
# Runs every benchmark of kestro_bench once (one iteration each: it must build and run; its
# figures are not judged here) and prints one RAN line per benchmark that ran (a benchmark
# asserts nothing, so the test command does not count it as a passed case) and one FAIL line
# per benchmark that reported an error. Fails when any did, when none ran, or when the program
# itself failed.
#
# usage: run_once.sh <kestro_bench>
set -uo pipefail
(( $# == 1 )) || { echo "usage: $0 <kestro_bench>" >&2; exit 2; }
results=$(mktemp)
trap 'rm -f "$results"' EXIT
rc=0
"$1" --benchmark_min_time=0 --benchmark_out="$results" --benchmark_out_format=json || rc=$?
# One object per benchmark run in the "benchmarks" list: its "name", "iterations" and, when it
# failed, "error_occurred": true.
awk -v rc="$rc" '
  function report() {
    if (name == "") return
    if (error) { print "FAIL: benchmark " name " reported an error"; failed++ }
    else { print "RAN: benchmark " name " (" iterations " iterations)"; ran++ }
    name = ""
  }
  /^ *"name": "/ { report(); name = $0; sub(/^ *"name": "/, "", name); sub(/",?$/, "", name); error = 0 }
  /^ *"iterations": / { iterations = $2; sub(/,$/, "", iterations) }
  /^ *"error_occurred": true/ { error = 1 }
  END {
    report()
    if (ran + failed == 0) print "FAIL: no benchmark ran"
    if (rc != 0) print "FAIL: kestro_bench exited with " rc
    exit !(failed == 0 && ran > 0 && rc == 0)
  }' "$results"
