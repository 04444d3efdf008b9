#!/usr/bin/env bash
# The run command: builds Kestro.exe and starts it.
#   On Windows (MSYS2/Git Bash with CMake and MinGW-w64): builds natively and starts it.
#   On Linux: cross-builds it and runs it under Wine in a private prefix:
#     - `./run.sh --report` prints the plain-text report, `./run.sh --json` the JSON document
#       (and `--unregister` deletes the settings), with or without a display;
#     - with a display (DISPLAY set): the window opens on it;
#     - without a display: on a virtual screen, waits for the report, saves a screenshot of the
#       window and the text "Copy all" puts on the clipboard, and says where they are.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${KESTRO_BUILD_ROOT:-$repo/build}/win"

case "$(uname -s)" in
  MINGW*|MSYS*|CYGWIN*)
    cmake -G Ninja -S "$repo" -B "$build" -DKESTRO_BUILD_TESTS=OFF >&2
    cmake --build "$build" --target Kestro >&2
    exec "$build/Kestro.exe" "$@"
    ;;
esac

# Installing and building talk on standard error: standard output carries only what Kestro
# writes (`./run.sh --report > pc.txt`, `./run.sh --json > pc.json`).
# shellcheck source=tests/packages.sh
source "$repo/tests/packages.sh"
kestro_install_missing_packages --run >&2

echo "== Building Kestro.exe" >&2
# A first build here builds no tests (they need packages the run command does not install);
# a folder the test command configured keeps its tests.
tests=()
[[ -f $build/CMakeCache.txt ]] || tests=(-DKESTRO_BUILD_TESTS=OFF)
cmake -G Ninja -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release "${tests[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw64.cmake" -DKESTRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target Kestro >&2
exe="$build/Kestro.exe"

headless=0
[[ -z ${DISPLAY:-} ]] && headless=1
# --report, --json and --unregister open no window: they run the same way with or without a
# display.
windowless=0
for argument in "$@"; do
  [[ $argument == --report || $argument == --json || $argument == --unregister ]] && windowless=1
done

# shellcheck source=tests/wine/harness.sh
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
kh_prefix_ready "$build/run-prefix"

if (( windowless )); then
  # A wineserver started by this run would inherit its output and hold a caller's pipe open
  # for seconds after the report is written: keep the prefix's server running meanwhile.
  ( kh__exec_clean wineserver -p 60 ) </dev/null >/dev/null 2>&1 || true
  rc=0
  kh_wine 600 "$exe" "$@" </dev/null || rc=$?
  exit "$rc"
fi

if (( ! headless )); then
  kh_wine 86400 "$exe" "$@"
  exit $?
fi

# --- No display: run it on a virtual screen and keep what it shows ---------------------------
out="$build/run-output"
mkdir -p "$out"
shot="$out/kestro-window.png"
text="$out/kestro-copy-all.txt"
rm -f "$shot" "$text"

find_window() {
  wid=$(xdotool search --onlyvisible --name '^Kestro$' 2>/dev/null | head -n1)
  [[ -n $wid ]]
}
# Without a window manager the client area starts (4, 23) pixels into the X window.
pixel() {  # <client-x> <client-y>: RRGGBB of the window now
  timeout 20 import -window "$wid" "$out/.live.png" 2>/dev/null &&
    convert "$out/.live.png" -format "%[hex:p{$(( $1 + 4 )),$(( $2 + 23 ))}]" info: 2>/dev/null
}
# The report is shown once the accent-coloured "Copy all" button is drawn in the toolbar,
# left of the Menu and Refresh buttons (light or dark palette).
report_shown() {
  local WIDTH HEIGHT X Y p
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  p=$(pixel $(( WIDTH - 8 - 10 - 36 - 6 - 36 - 6 - 6 )) 26) || return 1
  [[ $p == 2563EB || $p == 60A5FA ]]
}
copied() {
  xdotool key --window "$wid" ctrl+c
  xclip -o -selection clipboard >"$text" 2>/dev/null && [[ -s $text ]]
}

kh_wine 600 "$exe" "$@" </dev/null >/dev/null 2>&1 &
app=$!
kh_wait_for 60 find_window || { echo "Kestro's window did not appear" >&2; exit 1; }
xdotool mousemove 0 0
kh_wait_for 180 report_shown || { echo "The report did not arrive" >&2; exit 1; }
timeout 60 import -window "$wid" "$shot"
kh_wait_for 20 copied || { echo "Nothing was copied" >&2; exit 1; }
xdotool key --window "$wid" alt+F4 || true
kh_wait_for 20 bash -c "! kill -0 $app 2>/dev/null" || kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
rm -f "$out/.live.png"

echo "Screenshot of the window:  $shot"
echo "Text of \"Copy all\":        $text"
