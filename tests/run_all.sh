#!/usr/bin/env bash
# The one test command: installs what is missing on a Debian 12 machine, builds the host and
# the Windows configurations, runs the host tests (also under the address and undefined-behaviour
# sanitizers, and the threaded ones under the thread sanitizer), the benchmarks once, short
# fuzzing runs, the Windows tests under Wine on a virtual display, and the README's run command
# headless.
# Ends with one summary line counting test cases (GoogleTest cases, end-to-end checks, fuzz
# targets; the benchmarks run once but are not counted) and the Windows tests run again; a step
# that cannot be configured or built counts as a failure and the rest goes on. Exits non-zero
# on any failure or skipped test, with one exception: when the mirror cannot give wine32:i386, the
# installer's tests (which need 32-bit Wine) are counted as skipped, the closing line says why,
# and that skip alone does not fail the run.
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

# shellcheck source=e2e/uia_race.sh
source "$repo/tests/e2e/uia_race.sh"

# The test cases of one ctest run, from its full log: one line per test, "name passed failed
# skipped race". GoogleTest summaries and the scripts' PASS/FAIL/SKIP lines count; RAN lines
# (the benchmarks, which assert nothing) do not, but show that the test did run. Nothing
# passes by omission: a test whose output has none of these lines fails, a GoogleTest run of
# no test at all fails, and a test ctest calls failed but whose output reports no failing
# case (a crash after the summary, a time-out, a sanitizer's report at exit) counts one more
# failure. `race` is 1 when the output carries the UI Automation race's signature.
ctest_results() {  # <LastTest.log>
  awk -v signature="$uia_no_answer_signature" '
    function finish() {
      if (!in_test) return
      if (gtest && ran == 0) f++
      if (p + f + s + r == 0 || (!ok && f == 0)) f++
      print name, p, f, s, race
      in_test = 0
    }
    /^[0-9]+\/[0-9]+ Testing: / {
      finish(); in_test = 1; name = $3; p = f = s = r = 0; ok = 0; gtest = 0; ran = 0; race = 0; next
    }
    /^\[==========\] [0-9]+ tests? from .* ran/ { gtest = 1; ran += $2 }
    /^\[  PASSED  \] [0-9]+ test/ { p += $4 }
    /^\[  FAILED  \] [0-9]+ test/ { f += $4 }
    /^\[  SKIPPED \] [0-9]+ test/ { s += $4 }
    /^PASS: / { p++ }
    /^FAIL: / { f++ }
    /^SKIP: / { s++ }
    /^RAN: / { r++ }
    index($0, signature) == 1 { race = 1 }
    /^Test Passed\./ { ok = 1 }
    END { finish() }
  ' "$1"
}

reruns=0

# Runs one ctest configuration and adds its cases to the totals. A test labelled "uia" (it
# walks Kestro's UI Automation tree) whose first run failed with the race's signature runs once
# more and counts by that run; the log names it. Any other failure counts at once.
run_ctest() {  # <name> <build-dir> [<cases it must count at least> [ctest arguments...]]
  local name=$1 dir=$2 expected=${3:-} status results line test p f s race
  shift $(( $# < 3 ? $# : 3 ))
  echo "== Tests: $name"
  local log="$dir/Testing/Temporary/LastTest.log"
  rm -f "$log"
  ctest --test-dir "$dir" --no-tests=error --output-on-failure --timeout 1800 "$@"
  status=$?
  if [[ ! -f $log ]]; then
    step_failed "$name"
    return
  fi
  results=$(ctest_results "$log")
  local uia_tests
  uia_tests=" $(ctest --test-dir "$dir" -N -L '^uia$' 2>/dev/null | awk '/Test +#[0-9]+:/ { print $3 }' | paste -sd' ') "
  local total_p=0 total_f=0 total_s=0 again=()
  while read -r test p f s race; do
    [[ -n $test ]] || continue
    if (( f > 0 && race == 1 )) && [[ $uia_tests == *" $test "* ]]; then
      again+=("$test")
      continue
    fi
    total_p=$((total_p + p)); total_f=$((total_f + f)); total_s=$((total_s + s))
  done <<<"$results"
  for test in "${again[@]}"; do
    echo "== $test ran again: its first run met this Wine's UI Automation race ($uia_no_answer_signature)"
    reruns=$((reruns + 1))
    rm -f "$log"
    ctest --test-dir "$dir" --no-tests=error --output-on-failure --timeout 1800 -R "^$test\$"
    if [[ -f $log ]]; then
      read -r _ p f s race < <(ctest_results "$log")
    else
      p=0 f=1 s=0
    fi
    total_p=$((total_p + p)); total_f=$((total_f + f)); total_s=$((total_s + s))
  done
  if [[ -n $expected ]] && (( total_p + total_f + total_s < expected )); then
    echo "== $name: $(( total_p + total_f + total_s )) cases counted where $expected were expected"
    total_f=$((total_f + 1))
  fi
  echo "== $name: $total_p passed, $total_f failed, $total_s skipped"
  passed=$((passed + total_p)); failed=$((failed + total_f)); skipped=$((skipped + total_s))
  # ctest's own status stands for the first run; a rerun that passed clears it.
  (( total_f == 0 && total_s == 0 && (status == 0 || ${#again[@]} > 0) )) || failures+=("$name")
}

# shellcheck source=packages.sh
source "$repo/tests/packages.sh"
run_step packages kestro_install_missing_packages --installer
# Inno Setup's compiler and every installer it makes are 32-bit programs: without 32-bit Wine
# the installer's tests cannot run, and they (only they) are skipped, by name and with the reason.
installer_tests=(installer_e2e)
installer_skipped=()
skip_reason=""
if (( ${#kestro_packages_unavailable[@]} > 0 )); then
  installer_skipped=("${installer_tests[@]}")
  skip_reason="${installer_skipped[*]}: ${kestro_packages_unavailable[*]} could not be installed"
fi

# One virtual display for every Windows test, started only when there is none.
# shellcheck source=wine/harness.sh
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
run_step display kh_ensure_display

mkdir -p "$build_root"
# Free space, for reading a failed run: the Windows tests need about 2 GiB (one Wine prefix
# and the copies that share its files).
free_space() { echo "== Free space under $build_root: $(df -h --output=avail "$build_root" | tail -n 1 | tr -d ' ')"; }
free_space

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

# The host tests that start threads of their own, once more under ThreadSanitizer, which sees
# their data races. Keep the list complete: every test in tests/host that starts a thread,
# directly or through a helper, belongs here (the check below finds those whose body names
# std::thread, std::jthread or std::async; a helper's threads it cannot see).
tsan_tests=(
  AccessHub.ReadersOnOtherThreadsKeepTheTreeTheyTook
  HandOver.WorkersPutBeforeTheyNotifyAndOutliveTheWindow
  TranslateUnderOverride.ManyThreadsSeeTheSameTexts
)
threaded_tests() {  # Suite.Name of each test in tests/host whose body starts a thread
  awk 'FNR == 1 { name = "" }
       /^TEST(_F|_P)?\(/ { split(substr($0, index($0, "(") + 1), a, /[ ,)]+/); name = a[1] "." a[2] }
       /std::(j?thread|async)([^a-z_]|$)/ && name != "" && !(name in seen) { seen[name] = 1; print name }' \
    "$repo"/tests/host/*.cpp
}
echo "== Threaded host tests under ThreadSanitizer"
unlisted=$(comm -23 <(threaded_tests | sort) <(printf '%s\n' "${tsan_tests[@]}" | sort))
if [[ -n $unlisted ]]; then
  echo "== tests that start threads but are not in tsan_tests:" $unlisted
  step_failed tsan-list
fi
if run_step tsan-configure cmake -G Ninja -S "$repo" -B "$build_root/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DKESTRO_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
     >/dev/null &&
   run_step tsan-build cmake --build "$build_root/tsan" -j "$jobs" --target kestro_tests; then
  GTEST_FILTER=$(IFS=:; echo "${tsan_tests[*]}") \
    run_ctest tsan "$build_root/tsan" "${#tsan_tests[@]}" -R '^core_tests$'
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

free_space
echo "== Windows build"
windows_build_start=$SECONDS
if run_step windows-configure cmake -G Ninja -S "$repo" -B "$build_root/win" -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw64.cmake" -DKESTRO_BUILD_BENCH=OFF \
     -DKESTRO_BUILD_TESTS=ON >/dev/null &&
   run_step windows-build cmake --build "$build_root/win" -j "$jobs"; then
  echo "== Windows build took $((SECONDS - windows_build_start)) s"
  if (( ${#installer_skipped[@]} > 0 )); then
    echo "== Skipped, as ${kestro_packages_unavailable[*]} could not be installed: ${installer_skipped[*]}"
    run_ctest windows "$build_root/win" "" -E "^($(IFS='|'; echo "${installer_skipped[*]}"))\$"
    skipped=$((skipped + ${#installer_skipped[@]}))
  else
    run_ctest windows "$build_root/win"
  fi

  # The README's run command, as a new user runs it on a machine without a display.
  echo "== Run command, headless"
  run_log="$build_root/run-command.log"
  bash "$repo/tests/e2e/run_command_e2e.sh" "$repo" "$build_root" 2>&1 | tee "$run_log"
  run_status=${PIPESTATUS[0]}
  rp=$(grep -c '^PASS: ' "$run_log")
  rf=$(grep -c '^FAIL: ' "$run_log")
  # A run that passed nothing, or failed without saying what, is one failure.
  (( rf == 0 && (rp == 0 || run_status != 0) )) && rf=1
  passed=$((passed + rp)); failed=$((failed + rf))
  (( rf == 0 )) || failures+=(run-command)
fi

free_space
echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "Failed: ${failures[*]}"
fi
echo "tests: $passed passed, $failed failed, $skipped skipped, $reruns rerun${skip_reason:+ (skipped $skip_reason)}"
(( failed == 0 && skipped == ${#installer_skipped[@]} && ${#failures[@]} == 0 ))
