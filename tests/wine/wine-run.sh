#!/usr/bin/env bash
# Runs a Windows test program of a cross build under Wine; CMake's emulator for the
# MinGW build, so ctest calls it as: wine-run.sh <program.exe> <arguments...>
#
# Prefix: $KESTRO_WINEPREFIX, else "wineprefix" in the build tree holding the program
# (the nearest folder above it with a CMakeCache.txt). Created on first use.
# Time limit: $KESTRO_WINE_TIMEOUT seconds (default 600); 124 is returned when it runs out.
# Without a DISPLAY, a virtual screen is started and stopped again.
set -euo pipefail

if (( $# < 1 )); then
  echo "usage: $0 <program.exe> [arguments...]" >&2
  exit 2
fi

here=$(dirname "$(realpath "${BASH_SOURCE[0]}")")
# shellcheck source=harness.sh
source "$here/harness.sh"

exe=$(realpath -m "$1")
shift

build_tree() {
  local dir
  dir=$(dirname "$exe")
  while [[ $dir != / ]]; do
    if [[ -f $dir/CMakeCache.txt ]]; then echo "$dir"; return; fi
    dir=$(dirname "$dir")
  done
  dirname "$exe"
}

prefix=${KESTRO_WINEPREFIX:-$(build_tree)/wineprefix}
timeout_s=${KESTRO_WINE_TIMEOUT:-600}

trap kh_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

kh_prefix_ready "$prefix"
rc=0
kh_wine "$timeout_s" "$exe" "$@" || rc=$?
if (( rc == 124 )); then
  echo "wine-run.sh: $(basename "$exe") did not finish within $timeout_s s" >&2
fi
exit "$rc"
