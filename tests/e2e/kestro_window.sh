# shellcheck shell=bash
# What the end-to-end scripts share about driving Kestro's window under Wine (sourced after
# tests/wine/harness.sh and checks.sh). The script sets before sourcing:
#   exe       Kestro.exe      poke_exe  window_poke.exe      work  its working folder
# Functions that look at the window use `wid`, which find_window and start_app set.

# With no window manager the X window is the whole Win32 window; the client area starts
# (4, 23) pixels into it at 96 DPI.
CX=4
CY=23
settings_key='HKCU\Software\Kestro'
app_pid=""   # the `wine Kestro.exe` run in progress (a child of this shell)
wid=""       # its X window
mkdir -p "$work/shots"

poke() { kh_wine 30 "$poke_exe" "$@" </dev/null; }

find_window() {
  wid=$(xdotool search --onlyvisible --name '^Kestro$' 2>/dev/null | head -n1)
  [[ -n $wid ]]
}
no_window() { ! xdotool search --onlyvisible --name '^Kestro$' >/dev/null 2>&1; }

start_app() {  # [arguments...]
  kh_wine 300 "$exe" "$@" </dev/null >/dev/null 2>&1 &
  app_pid=$!
  kh_wait_for 30 find_window
}
app_running() { [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; }
app_gone() { ! app_running; }

# Waits for the run to end and checks its exit code.
expect_exit() {  # <what>
  local rc=0
  if kh_wait_for 20 app_gone; then
    wait "$app_pid" || rc=$?
    check "$1: Kestro.exe ended with exit code 0 (got $rc)" test "$rc" -eq 0
  else
    fail "$1: Kestro.exe did not end"
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
  fi
  app_pid=""
  kh_wait_for 10 no_window || true
}

geometry() {  # prints "x y width height" of the X window
  local X=0 Y=0 WIDTH=0 HEIGHT=0
  eval "$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null)"
  echo "$X $Y $WIDTH $HEIGHT"
}
client_size() {
  local x y w h
  read -r x y w h < <(geometry)
  echo "$(( w - 2 * CX )) $(( h - CY - CX ))"
}
geometry_is() { [[ $(geometry) == "$1" ]]; }

# import waits for a mouse click when the window is gone; bounded, a failed picture is
# retried by the polling callers.
shot() { timeout 20 import -window "$wid" "$1" 2>/dev/null; }
pixel() {  # <png> <client-x> <client-y>: RRGGBB
  convert "$1" -format "%[hex:p{$(( $2 + CX )),$(( $3 + CY ))}]" info: 2>/dev/null
}
live_pixel() {  # <client-x> <client-y>
  local f="$work/shots/live.png"
  shot "$f" && pixel "$f" "$1" "$2"
}
pixel_is() { [[ $(live_pixel "$1" "$2") == "$3" ]]; }
same_as() {  # <png>: the window now looks exactly like it
  local f="$work/shots/now.png"
  shot "$f" || return 1
  [[ $(compare -metric AE "$1" "$f" null: 2>&1) == 0 ]]
}
differs_from() { ! same_as "$1"; }

# The toast's face (nearly black at alpha 0.92) just inside its top edge, above its text.
toast_shown() {
  local w h p
  read -r w h < <(client_size)
  p=$(live_pixel $(( w / 2 )) $(( h - 61 ))) || return 1
  (( 16#${p:0:2} < 0x50 && 16#${p:2:2} < 0x50 && 16#${p:4:2} < 0x50 ))
}
toast_gone() { ! toast_shown; }

# Pointer out of the window: no hover highlight in screenshots.
pointer_away() { xdotool mousemove 0 0; }
click_client() {  # <x> <y>
  xdotool mousemove --window "$wid" $(( $1 + CX )) $(( $2 + CY )) click 1
}
key() { xdotool key --window "$wid" "$@"; }

# Loaded: the "Copy all" button in the accent colour (light palette unless given) sits left
# of the Menu and Refresh buttons.
copy_all_x() { local w h; read -r w h < <(client_size); echo $(( w - 10 - 36 - 6 - 36 - 6 - 6 )); }
loaded() { pixel_is "$(copy_all_x)" 26 "${1:-2563EB}"; }

# Clipboard as another Windows program reads it (exact CR LF), and as X hands it out (LF).
clipboard_win() { poke clipboard; }
clipboard_is_win() { [[ "$(clipboard_win; echo x)" == "$1x" ]]; }
clipboard_x() { xclip -o -selection clipboard 2>/dev/null; }
# The uptime line changes from minute to minute; everything else must match exactly.
normalise() { sed -E 's/^(Up for: ).*/\1…/'; }

reg_value() {  # <name>: the data of a value of the settings key, as reg prints it
  kh_wine 60 reg query "$settings_key" /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v name="$1" '$1 == name {print $3}'
}
reg_delete() { kh_wine 60 reg delete "$settings_key" /v "$1" /f </dev/null >/dev/null 2>&1; }
