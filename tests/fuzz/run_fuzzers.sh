#!/usr/bin/env bash
# Runs every built fuzz_* target: first over its kept inputs in regressions/<target>/, then a
# bounded fuzzing run from a temporary corpus seeded with them. Exits non-zero on any crash.
# New crashing inputs are left in <fuzz-build-dir>/fuzz-artifacts/<target>/; once the fault is
# fixed, copy them into regressions/<target>/ so they are replayed from then on.
#
# Usage: run_fuzzers.sh <fuzz-build-dir> [seconds-per-target, default 10]
set -u

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <fuzz-build-dir> [seconds-per-target]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd)
seconds=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
options=(-rss_limit_mb=2048 -timeout=5)

mapfile -t targets < <(find "$build_dir" -type f -name 'fuzz_*' -perm -u+x | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz_* executables under $build_dir (configure with -DKESTRO_BUILD_FUZZ=ON and build)" >&2
  exit 2
fi

passed=()
failed=()
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for target in "${targets[@]}"; do
  name=$(basename "$target")
  regressions="$here/regressions/$name"
  artifacts="$build_dir/fuzz-artifacts/$name"
  log="$work/$name.log"
  mkdir -p "$artifacts"
  ok=1

  kept=()
  if [ -d "$regressions" ]; then
    mapfile -t kept < <(find "$regressions" -type f | sort)
  fi
  if [ ${#kept[@]} -gt 0 ]; then
    if ! "$target" "${options[@]}" "${kept[@]}" >"$log" 2>&1; then
      echo "== $name: a kept input fails"; tail -n 30 "$log"
      ok=0
    fi
  fi

  if [ $ok -eq 1 ]; then
    corpus="$work/corpus-$name"
    mkdir -p "$corpus"
    [ ${#kept[@]} -gt 0 ] && cp "${kept[@]}" "$corpus/"
    if ! "$target" "${options[@]}" -max_total_time="$seconds" -artifact_prefix="$artifacts/" \
        "$corpus" >"$log" 2>&1; then
      echo "== $name: crash found (inputs in $artifacts)"; tail -n 40 "$log"
      ok=0
    else
      coverage=$(grep -Eo 'cov: [0-9]+' "$log" | tail -n 1)
      echo "== $name: $(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1)${coverage:+, $coverage}"
    fi
  fi

  if [ $ok -eq 1 ]; then passed+=("$name"); else failed+=("$name"); fi
done

echo "fuzz summary: ${#targets[@]} targets, ${#passed[@]} passed, ${#failed[@]} failed${failed:+ (${failed[*]})}, ${seconds}s each"
[ ${#failed[@]} -eq 0 ]
