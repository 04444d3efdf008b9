# shellcheck shell=bash
# What the end-to-end scripts share about driving Kestro's window under Wine (sourced after
# tests/wine/harness.sh and checks.sh). The script sets before sourcing:
#   exe  Kestro.exe   poke_exe  window_poke.exe   walk_exe  uia_walk.exe (when it reads state)
#   work  its working folder
# Functions that look at the window use `wid`, which find_window and start_app set.
#
# The window's state (report or loading text, the toast's text, the keyboard focus) is read
# from its UI Automation tree, as a screen reader reads it; where its client area lies comes
# from the Windows side (window_poke client). Pictures are taken only where the drawing itself
# is checked: palette colours, and whether something is drawn at all.

# shellcheck source=uia_race.sh
source "$(dirname "${BASH_SOURCE[0]}")/uia_race.sh"

settings_key='HKCU\Software\Kestro'
# What Kestro is started through: nothing (under Wine every process is elevated), or
# limited_launcher.exe, which gives it the user's own rights as on a machine with UAC.
launch=()
app_pid=""   # the `wine Kestro.exe` run in progress (a child of this shell)
wid=""       # its X window
mkdir -p "$work/shots"

poke() { kh_wine 30 "$poke_exe" "$@" </dev/null; }
# The message box the window owns, read and answered (poke dialog-yes, ...) from the Windows side.
dialog_text() { poke dialog | tr -d '\r'; }
dialog_open() { poke dialog >/dev/null; }
dialog_closed() { ! dialog_open; }
# Presses <yes|no|ok> in that box, again while it stays open (a click the box never saw must not
# end a case); false when it never closes.
answer_dialog() {  # <yes|no|ok>
  local try
  for try in 1 2 3; do
    poke "dialog-$1" >/dev/null
    kh_wait_for 3 dialog_closed && return 0
    echo "INFO: the message box is still open after $try clicks on ${1^}"
  done
  return 1
}

find_window() {
  wid=$(xdotool search --onlyvisible --name '^Kestro$' 2>/dev/null | head -n1)
  [[ -n $wid ]]
}
no_window() { ! xdotool search --onlyvisible --name '^Kestro$' >/dev/null 2>&1; }

start_app() {  # [arguments...]
  uia_stop  # first, so that this run does not inherit the old client's input and keep it open
  local program=$exe
  # The launcher hands the path to Windows as it is: a host path needs its drive.
  (( ${#launch[@]} > 0 )) && [[ $program == /* ]] && program="Z:$program"
  kh_wine 300 "${launch[@]}" "$program" "$@" </dev/null >/dev/null 2>&1 &
  app_pid=$!
  kh_wait_for 30 find_window || return 1
  if [[ -n ${walk_exe:-} ]]; then uia_start; fi
}
app_running() { [[ -n $app_pid ]] && kill -0 "$app_pid" 2>/dev/null; }
app_gone() { ! app_running; }
# Ends the run for good: ending the `wine` run alone would leave Kestro.exe, and its window, to
# whatever comes next.
app_kill() {
  kh_taskkill Kestro.exe
  kill "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null
}

# Waits for the run to end and checks its exit code.
expect_exit() {  # <what>
  local rc=0
  if kh_wait_for 20 app_gone; then
    wait "$app_pid" || rc=$?
    check "$1: Kestro.exe ended with exit code 0 (got $rc)" test "$rc" -eq 0
  else
    fail "$1: Kestro.exe did not end"
    app_kill
  fi
  app_pid=""
  guard "$1: the window went with the process" kh_wait_for 10 no_window
}

# --- Where the window is --------------------------------------------------------------------
geometry() {  # prints "x y width height" of the X window (the whole Win32 window here)
  local X=0 Y=0 WIDTH=0 HEIGHT=0
  eval "$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null)"
  echo "$X $Y $WIDTH $HEIGHT"
}
geometry_is() { [[ $(geometry) == "$1" ]]; }
client_area() {  # prints "x y width height": the client area in screen pixels
  local area
  area=$(poke client | tr -d '\r') && [[ $area =~ ^-?[0-9]+\ -?[0-9]+\ [0-9]+\ [0-9]+$ ]] && echo "$area"
}
pointer_to() {  # <client-x> <client-y>
  local x y w h
  read -r x y w h < <(client_area) && xdotool mousemove $(( x + $1 )) $(( y + $2 ))
}
# Pointer out of the window: no hover highlight in pictures.
pointer_away() { xdotool mousemove 0 0; }
key() { xdotool key --window "$wid" "$@"; }

# Where <what> lies in the client area ("x y"), from Kestro's own layout for the window's present
# size and DPI (this Wine's UI Automation client gives no element rectangles: BoundingRectangle
# answers E_NOTIMPL, UiaNodeFromPoint aborts). <what>: toolbar (a part of it that takes no
# click), menu, copy-all, row <n> (the middle of the first card's n-th row, from 0).
at() { local p; p=$(poke point "$@" | tr -d '\r') && [[ $p =~ ^[0-9]+\ [0-9]+$ ]] && echo "$p"; }
pointer_at() { local px py; read -r px py < <(at "$@") && pointer_to "$px" "$py"; }  # <what...>
click_at() { pointer_at "$@" && xdotool click 1; }  # <what...>

# --- Pictures (the client area only) ----------------------------------------------------------
# import waits for a mouse click when the window is gone; bounded, a failed picture is
# retried by the polling callers. X hands back what lies on top of the window too.
shot() {  # <png>
  local x y w h X=0 Y=0 WIDTH=0 HEIGHT=0
  read -r x y w h < <(client_area) || return 1
  eval "$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null)"
  timeout 20 import -window "$wid" -crop "${w}x${h}+$(( x - X ))+$(( y - Y ))" +repage "$1" 2>/dev/null
}
pixel_is() {  # <client-x> <client-y> <RRGGBB>
  local f="$work/shots/live.png"
  shot "$f" && [[ $(convert "$f" -format "%[hex:p{$1,$2}]" info: 2>/dev/null) == "$3" ]]
}
same_pictures() { [[ $(compare -metric AE "$1" "$2" null: 2>&1) == 0 ]]; }
same_as() { local f="$work/shots/now.png"; shot "$f" && same_pictures "$1" "$f"; }  # <png>
differs_from() { local f="$work/shots/now.png"; shot "$f" && ! same_pictures "$1" "$f"; }
# Whether the "Copy all" button is drawn: its accent colour somewhere in the toolbar band.
copy_all_drawn() {  # <accent RRGGBB> [<toolbar height>]
  local f="$work/shots/toolbar.png"
  shot "$f" &&
    [[ $(convert "$f" -crop "x${2:-52}+0+0" +repage -fill black +opaque "#$1" \
           -format '%[fx:maxima.r]' info: 2>/dev/null) != 0 ]]
}

# --- State, from the UI Automation tree --------------------------------------------------------
# One uia_walk per run of Kestro, asked through a pair of pipes: a new client process for every
# look only adds steps that can meet this Wine's COM race (see loaded). start_app starts
# it once the window is there; the next start_app ends it by closing its input. Wine programs
# started through the harness do not inherit the pipes.
uia_pid="" uia_in="" uia_out=""
uia_stop() {
  local fd
  for fd in $uia_in $uia_out; do exec {fd}>&-; kh__forget_fd "$fd"; done
  uia_in="" uia_out=""
  [[ -n $uia_pid ]] || return 0
  kh_wait_for 10 kh__gone "$uia_pid" || kill "$uia_pid" 2>/dev/null
  wait "$uia_pid" 2>/dev/null
  uia_pid=""
}
uia_start() {
  rm -f "$work/uia.in" "$work/uia.out" && mkfifo "$work/uia.in" "$work/uia.out" || return 1
  # With the same rights as Kestro, as a screen reader of the same user runs.
  local program=$walk_exe
  (( ${#launch[@]} > 0 )) && [[ $program == /* ]] && program="Z:$program"
  kh_wine 3600 "${launch[@]}" "$program" <"$work/uia.in" >"$work/uia.out" 2>/dev/null &
  uia_pid=$!
  exec {uia_in}>"$work/uia.in" {uia_out}<"$work/uia.out"
  KH_FDS+=("$uia_in" "$uia_out")
}
# uia [tree|children|last]: the walk's lines (depth, automation id, control type, focusable,
# focused, name; tab-separated); fails when it is incomplete or gets no answer in time.
uia() {
  local tag="$BASHPID.$RANDOM" line lines="" status=""
  [[ -n $uia_in ]] || return 1
  ( echo "${1:-tree} $tag" >&"$uia_in" ) 2>/dev/null || return 1  # a broken pipe ends only that
  while IFS= read -r -t 60 line <&"$uia_out"; do
    if [[ $line == "end "?" $tag" ]]; then status=${line:4:1}; break; fi
    if [[ $line == "end "* ]]; then lines=""; else lines+="$line"$'\n'; fi  # late: dropped
  done
  [[ -n $status ]] || echo "$uia_no_answer_signature (${1:-tree})" >&2
  printf '%s' "$lines"
  [[ $status == 0 ]]
}
# Whether a report is shown, read with the quickest look where it can be: every step of a walk
# can meet this Wine's COM race (a released node unregisters its interface while the call just
# answered is still counted, and the window's UI Automation side then waits for ever), likeliest
# while Kestro probes, which is when this is polled. The last child is the loading text, a
# card (or the note below the cards), or a toast, which may stand over either.
loaded() {
  local c
  c=$(uia last) || return 1
  case $(cut -f2 <<<"$c") in
    card-* | note) return 0 ;;
    toast) c=$(uia children) && grep -q $'^1\tcopy-all\t' <<<"$c" ;;  # Copy all only with a report
    *) return 1 ;;
  esac
}
loading_sentence="Reading this PC's details"
# The loading text in place of the report, read with the quickest look (the last child).
loading() { local c; c=$(uia last) && [[ $(cut -f2,6 <<<"$c") == "loading"$'\t'"$loading_sentence" ]]; }
# F5 while the report shows, and whether the loading text then replaces it. A probe under Wine
# can be over in a quarter of a second, so a look every 0.1 s sees it about every other time:
# up to ten tries. (Looking faster makes it likelier that a look meets elements going away,
# which can leave this Wine's UI Automation without an answer.)
reload_tries=0
reload_seen() {
  for (( reload_tries = 1; reload_tries <= 10; reload_tries++ )); do
    kh_wait_for 120 loaded || return 1
    key F5
    if kh_wait_for 1.5 loading; then return 0; fi
  done
  return 1
}
# The toast's text, empty when there is none; fails when the window cannot be read.
toast_text() { local c; c=$(uia last) && awk -F'\t' '$2 == "toast" { print $6 }' <<<"$c"; }
toast_is() { local t; t=$(toast_text) && [[ $t == "$1" ]]; }
toast_shown() { local t; t=$(toast_text) && [[ -n $t ]]; }
toast_gone() { toast_is ""; }
# Whether exactly the element <automation id> has the keyboard focus ("": none has it).
focus_is() { local t; t=$(uia) && [[ $(awk -F'\t' '$5 == 1 { print $2 }' <<<"$t") == "$1" ]]; }

# --- The clipboard and the settings -------------------------------------------------------------
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
