#!/usr/bin/env bash
# The one test command: installs what is missing on a Debian 12 machine, builds the host and
# the Windows configurations, runs the host tests (also under the address and undefined-behaviour
# sanitizers), short fuzzing runs, and the Windows tests under Wine on a virtual display.
# Ends with one summary line; exits non-zero on any failure.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_root="${KESTRO_BUILD_ROOT:-$repo/build}"
jobs="${KESTRO_JOBS:-2}"
fuzz_seconds="${KESTRO_FUZZ_SECONDS:-10}"

# shellcheck source=packages.sh
source "$repo/tests/packages.sh"

passed=0
failed=0
failures=()

# Runs ctest in a build tree and adds its counts to the totals.
run_ctest() {
  local name="$1" dir="$2"
  local log="$build_root/$name-ctest.log"
  echo "== Tests: $name"
  set +e
  ctest --test-dir "$dir" --output-on-failure --timeout 1800 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local total failed_here
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    failed_here=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - failed_here))
    failed=$((failed + failed_here))
  elif [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
  fi
  [ "$status" -eq 0 ] || failures+=("$name")
}

step_failed() {
  failed=$((failed + 1))
  failures+=("$1")
}

kestro_install_missing_packages

# One virtual display for every Windows test, started only when there is none.
# shellcheck source=wine/harness.sh
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
kh_ensure_display

mkdir -p "$build_root"

echo "== Host build"
cmake -G Ninja -S "$repo" -B "$build_root/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_root/host" -j "$jobs"
run_ctest host "$build_root/host"

echo "== Host build with AddressSanitizer and UndefinedBehaviorSanitizer"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -G Ninja -S "$repo" -B "$build_root/sanitized" -DCMAKE_BUILD_TYPE=Debug -DKESTRO_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$sanitizers" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
cmake --build "$build_root/sanitized" -j "$jobs" --target kestro_tests
run_ctest sanitized "$build_root/sanitized"

echo "== Fuzzing (${fuzz_seconds}s per target)"
if cmake -G Ninja -S "$repo" -B "$build_root/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_CXX_COMPILER=clang++ -DKESTRO_BUILD_FUZZ=ON -DKESTRO_BUILD_BENCH=OFF >/dev/null &&
   cmake --build "$build_root/fuzz" -j "$jobs" --target fuzz &&
   bash "$repo/tests/fuzz/run_fuzzers.sh" "$build_root/fuzz" "$fuzz_seconds"; then
  passed=$((passed + 1))
else
  step_failed fuzz
fi

echo "== Windows build"
cmake -G Ninja -S "$repo" -B "$build_root/win" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw64.cmake" -DKESTRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_root/win" -j "$jobs"
run_ctest windows "$build_root/win"

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "Failed: ${failures[*]}"
fi
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ ${#failures[@]} -eq 0 ]
