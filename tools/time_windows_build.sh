#!/usr/bin/env bash
# Times a clean configure + build of Kestro.exe (the MinGW-w64 cross build), each run in a
# fresh build folder, and prints every run and the median in seconds.
#   tools/time_windows_build.sh [SOURCE_DIR] [RUNS=3] [BUILD_ROOT=/tmp]
# Build folders are made under BUILD_ROOT and deleted afterwards. Run it on a quiet machine:
# another build at the same time skews the figures.
set -euo pipefail

src="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd)"
runs="${2:-3}"
root="${3:-/tmp}"

times=()
for (( run = 1; run <= runs; run++ )); do
  dir="$(mktemp -d "$root/kestro-time-XXXXXX")"
  start=$(date +%s.%N)
  cmake -G Ninja -S "$src" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKESTRO_BUILD_TESTS=OFF -DKESTRO_BUILD_BENCH=OFF >/dev/null
  cmake --build "$dir" --target Kestro -j2 >/dev/null
  end=$(date +%s.%N)
  rm -rf "$dir"
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
  printf 'run %d: %.1f s\n' "$run" "${times[-1]}"
done
printf 'median: %.1f s\n' "$(printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }')"
