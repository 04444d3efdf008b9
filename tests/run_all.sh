#!/usr/bin/env bash
# The one test command: installs what is missing on a Debian 12 machine, builds the host and
# the Windows configurations, runs the host tests (also under the address and undefined-behaviour
# sanitizers), the benchmarks once, short fuzzing runs, the Windows tests under Wine on a virtual
# display, and the README's run command headless.
# Ends with one summary line counting test cases (GoogleTest cases, end-to-end checks, fuzz
# targets); a step that cannot be configured or built counts as a failure and the rest goes on.
# Exits non-zero on any failure or skipped test.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_root="${KESTRO_BUILD_ROOT:-$repo/build}"
jobs="${KESTRO_JOBS:-2}"
fuzz_seconds="${KESTRO_FUZZ_SECONDS:-10}"

passed=0
failed=0
skipped=0
failures=()

step_failed() {  # <name>: a step that produced no test results of its own
  failed=$((failed + 1))
  failures+=("$1")
}

# Runs a configure or build command; a failure is recorded under <name> and reported as false.
run_step() {  # <name> <command...>
  local name=$1; shift
  if "$@"; then return 0; fi
  echo "== $name failed"
  step_failed "$name"
  return 1
}

# Counts the test cases of one ctest run from its full log: GoogleTest summaries, PASS/FAIL/SKIP
# lines of the scripts; a test with neither counts as one case. A test ctest calls failed but
# whose output reports no failing case (a crash after the summary, a time-out) counts one more.
count_ctest_log() {  # <LastTest.log>: prints "passed failed skipped"
  awk '
    function finish() {
      if (!in_test) return
      if (p + f + s == 0) { if (ok) p = 1; else f = 1 }
      else if (!ok && f == 0) f = 1
      P += p; F += f; S += s; in_test = 0
    }
    /^[0-9]+\/[0-9]+ Testing: / { finish(); in_test = 1; p = f = s = 0; ok = 0; next }
    /^\[  PASSED  \] [0-9]+ test/ { p += $4 }
    /^\[  FAILED  \] [0-9]+ test/ { f += $4 }
    /^\[  SKIPPED \] [0-9]+ test/ { s += $4 }
    /^PASS: / { p++ }
    /^FAIL: / { f++ }
    /^SKIP: / { s++ }
    /^Test Passed\./ { ok = 1 }
    END { finish(); printf "%d %d %d\n", P, F, S }
  ' "$1"
}

run_ctest() {  # <name> <build-dir>
  local name=$1 dir=$2 status counts p f s
  echo "== Tests: $name"
  ctest --test-dir "$dir" --no-tests=error --output-on-failure --timeout 1800
  status=$?
  local log="$dir/Testing/Temporary/LastTest.log"
  if [[ -f $log ]]; then
    counts=$(count_ctest_log "$log")
    read -r p f s <<<"$counts"
    echo "== $name: $p passed, $f failed, $s skipped"
    passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
    (( status == 0 && f == 0 && s == 0 )) || failures+=("$name")
  else
    step_failed "$name"
  fi
}

# shellcheck source=packages.sh
source "$repo/tests/packages.sh"
run_step packages kestro_install_missing_packages --installer

# One virtual display for every Windows test, started only when there is none.
# shellcheck source=wine/harness.sh
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
run_step display kh_ensure_display

mkdir -p "$build_root"

echo "== Host build"
if run_step host-configure cmake -G Ninja -S "$repo" -B "$build_root/host" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
   run_step host-build cmake --build "$build_root/host" -j "$jobs"; then
  run_ctest host "$build_root/host"
fi

echo "== Host build with AddressSanitizer and UndefinedBehaviorSanitizer"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if run_step sanitized-configure cmake -G Ninja -S "$repo" -B "$build_root/sanitized" -DCMAKE_BUILD_TYPE=Debug \
     -DKESTRO_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS=$sanitizers" \
     "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null &&
   run_step sanitized-build cmake --build "$build_root/sanitized" -j "$jobs"; then
  run_ctest sanitized "$build_root/sanitized"
fi

echo "== Fuzzing (${fuzz_seconds}s per target)"
fuzz_log="$build_root/fuzz.log"
if run_step fuzz-configure cmake -G Ninja -S "$repo" -B "$build_root/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_CXX_COMPILER=clang++ -DKESTRO_BUILD_FUZZ=ON -DKESTRO_BUILD_BENCH=OFF >/dev/null &&
   run_step fuzz-build cmake --build "$build_root/fuzz" -j "$jobs" --target fuzz; then
  bash "$repo/tests/fuzz/run_fuzzers.sh" "$build_root/fuzz" "$fuzz_seconds" 2>&1 | tee "$fuzz_log"
  fuzz_status=${PIPESTATUS[0]}
  summary=$(grep -E '^fuzz summary: [0-9]+ targets, [0-9]+ passed, [0-9]+ failed' "$fuzz_log" | tail -n 1)
  if [[ -n $summary ]]; then
    read -r fp ff < <(sed -E 's/.* ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/' <<<"$summary")
    passed=$((passed + fp)); failed=$((failed + ff))
    (( fuzz_status == 0 && ff == 0 )) || failures+=(fuzz)
  else
    step_failed fuzz
  fi
fi

echo "== Windows build"
if run_step windows-configure cmake -G Ninja -S "$repo" -B "$build_root/win" -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw64.cmake" -DKESTRO_BUILD_BENCH=OFF >/dev/null &&
   run_step windows-build cmake --build "$build_root/win" -j "$jobs"; then
  run_ctest windows "$build_root/win"

  # The README's run command, as a new user runs it on a machine without a display.
  echo "== Run command, headless"
  run_log="$build_root/run-command.log"
  bash "$repo/tests/e2e/run_command_e2e.sh" "$repo" "$build_root" 2>&1 | tee "$run_log"
  run_status=${PIPESTATUS[0]}
  rp=$(grep -c '^PASS: ' "$run_log")
  rf=$(grep -c '^FAIL: ' "$run_log")
  (( run_status != 0 && rf == 0 )) && rf=1
  passed=$((passed + rp)); failed=$((failed + rf))
  (( rf == 0 )) || failures+=(run-command)
fi

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "Failed: ${failures[*]}"
fi
echo "tests: $passed passed, $failed failed, $skipped skipped"
(( failed == 0 && skipped == 0 && ${#failures[@]} == 0 ))
