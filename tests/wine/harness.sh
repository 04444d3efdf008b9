# shellcheck shell=bash
# Helpers for running the Windows build under Wine: a private Wine prefix prepared for
# unattended runs, a virtual X screen when none is given, bounded runs of Windows programs
# and cleanup of exactly what was started here.
#
# Source this file (it works under `set -euo pipefail`), then typically:
#   trap kh_cleanup EXIT
#   kh_prefix_ready "$dir/wineprefix"      # creates the prefix and a screen when needed
#   kh_wine 60 "$dir/Kestro.exe" || rc=$?
#
# Several scripts may use one prefix at the same time (ctest -j). Each user holds a shared
# lock on "<prefix>.users" while it runs; only the last one to leave stops the prefix's
# wineserver and the screen recorded for it in "<prefix>.xvfb".

if [[ -n "${KH_HARNESS_LOADED:-}" ]]; then return 0; fi
KH_HARNESS_LOADED=1

KH_SCREEN="${KH_SCREEN:-1920x1080x24}"
KH_MARKER=".kestro-prefix-ready"
KH_XVFB_PID=""          # the screen this shell started (or adopted for a prefix)
KH_XVFB_STATE=""        # "<prefix>.xvfb" when that screen is shared by the prefix's users
KH_WORKDIR=""           # empty directory every wine command runs in
KH_CHILD_PID=""         # the wine run in progress, stopped if we are interrupted
KH_FDS=()               # lock descriptors, closed in every child
declare -A KH_USER_FD=()  # prefix -> descriptor holding its shared "users" lock

kh__log() { printf 'harness: %s\n' "$*" >&2; }

# Seconds (decimals allowed) to microseconds.
kh__to_us() {
  local whole=${1%%.*} frac=""
  [[ $1 == *.* ]] && frac=${1#*.}
  frac="${frac}000000"
  echo $(( 10#${whole:-0} * 1000000 + 10#${frac:0:6} ))
}

kh__now_us() { echo "${EPOCHREALTIME/./}"; }

# kh_wait_for <deadline-seconds> <command...>: runs the command every 0.1 s until it
# succeeds (returns 0) or the deadline passes (returns 1).
kh_wait_for() {
  local limit end
  limit=$(kh__to_us "$1"); shift
  end=$(( $(kh__now_us) + limit ))
  while :; do
    if "$@"; then return 0; fi
    if (( $(kh__now_us) >= end )); then return 1; fi
    sleep 0.1
  done
}

# Replaces the current (sub)shell by a command with the harness' lock descriptors closed, so that wineserver and the
# screen never keep a lock alive after the script that took it is gone.
kh__exec_clean() {
  local fd
  for fd in "${KH_FDS[@]}"; do exec {fd}>&-; done
  exec "$@"
}

kh__forget_fd() {
  local keep=() fd
  for fd in "${KH_FDS[@]}"; do [[ $fd == "$1" ]] || keep+=("$fd"); done
  KH_FDS=("${keep[@]}")
}

kh__workdir() {
  if [[ -z $KH_WORKDIR ]]; then
    KH_WORKDIR=$(mktemp -d "${TMPDIR:-/tmp}/kestro-wine.XXXXXX")
  fi
}

kh__is_screen() {  # <display-number> <pid>
  [[ -n ${1:-} && -n ${2:-} ]] || return 1
  [[ -S /tmp/.X11-unix/X$1 ]] || return 1
  [[ $(cat "/proc/$2/comm" 2>/dev/null) == Xvfb ]]
}

kh__screen_answered() {  # <display-file> <pid>: number written, or the server died
  # The number is complete once its line is ended.
  [[ -s $1 ]] && (( $(wc -l <"$1") >= 1 )) || ! kill -0 "$2" 2>/dev/null
}

kh__start_screen() {
  local dfile pid display
  dfile=$(mktemp "${TMPDIR:-/tmp}/kestro-xvfb.XXXXXX")
  # -displayfd lets the server take the first free display number itself; its output
  # goes nowhere so it never holds a caller's pipe open.
  ( kh__exec_clean Xvfb -displayfd 3 -screen 0 "$KH_SCREEN" -nolisten tcp \
      3>"$dfile" </dev/null >/dev/null 2>&1 ) &
  pid=$!
  if ! kh_wait_for 15 kh__screen_answered "$dfile" "$pid" || ! kill -0 "$pid" 2>/dev/null; then
    kh__log "Xvfb did not start"
    kill "$pid" 2>/dev/null || true
    rm -f "$dfile"
    return 1
  fi
  display=$(head -n1 "$dfile")
  rm -f "$dfile"
  KH_XVFB_PID=$pid
  export DISPLAY=":$display"
}

# kh_ensure_display [shared-state-file]: keeps a given DISPLAY; otherwise starts Xvfb on a
# free display. With a state file, a screen recorded there by another user of the same
# prefix is reused, and a new one is recorded for the others.
kh_ensure_display() {
  local state=${1:-} display pid
  if [[ -n ${DISPLAY:-} ]]; then return 0; fi
  if [[ -z $state ]]; then
    kh__start_screen
    return
  fi
  local fd
  exec {fd}>"$state.lock"
  KH_FDS+=("$fd")
  flock -x "$fd"
  if [[ -s $state ]] && read -r display pid <"$state" && kh__is_screen "$display" "$pid"; then
    export DISPLAY=":$display"
    KH_XVFB_PID=$pid
  elif kh__start_screen; then
    echo "${DISPLAY#:} $KH_XVFB_PID" >"$state"
  else
    flock -u "$fd"; exec {fd}>&-; kh__forget_fd "$fd"
    return 1
  fi
  KH_XVFB_STATE=$state
  flock -u "$fd"; exec {fd}>&-; kh__forget_fd "$fd"
}

kh__stop_screen() {
  local pid=$KH_XVFB_PID
  [[ -n $pid ]] || return 0
  if [[ $(cat "/proc/$pid/comm" 2>/dev/null) == Xvfb ]]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true   # reaps it when it is our own child
    kh_wait_for 5 kh__gone "$pid" || kill -KILL "$pid" 2>/dev/null || true
  fi
  KH_XVFB_PID=""
}

kh__gone() { ! kill -0 "$1" 2>/dev/null; }

# kh_wine <timeout-seconds> <args...>: `wine <args...>` in the current WINEPREFIX, from an
# empty directory (`wine reg` would otherwise prefer a reg.exe lying in the current
# directory), with Wine's own messages off. Returns the program's exit code (its low byte),
# 124 when it ran out of time.
kh_wine() {
  local secs=$1; shift
  : "${WINEPREFIX:?kh_wine needs WINEPREFIX (call kh_prefix_ready first)}"
  kh__workdir
  local rc=0
  # Started in the background and waited for, so that a signal to this script is handled
  # at once (kh_cleanup then stops the run).
  ( cd "$KH_WORKDIR" &&
    WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all DISPLAY="${DISPLAY:-}" \
      kh__exec_clean timeout -k 5 "$secs" wine "$@" ) 0<&0 &
  KH_CHILD_PID=$!
  wait "$KH_CHILD_PID" || rc=$?
  KH_CHILD_PID=""
  return "$rc"
}

# kh_taskkill <image name>: ends every process of that name in the current WINEPREFIX at once.
# With wine32 installed `wine taskkill` is the 32-bit tool, which sees no 64-bit process (it
# says it found none); the 64-bit loader runs the 64-bit one.
kh_taskkill() {
  : "${WINEPREFIX:?kh_taskkill needs WINEPREFIX (call kh_prefix_ready first)}"
  kh__workdir
  ( cd "$KH_WORKDIR" &&
    WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all DISPLAY="${DISPLAY:-}" \
      kh__exec_clean timeout -k 5 30 /usr/lib/wine/wine64 taskkill /f /im "$1" ) </dev/null >/dev/null 2>&1
}

# kh_reg_add <key> <value-name> <type> <data>: one value through Wine's reg.exe, in the
# registry view 64-bit programs read (with wine32 installed, `wine reg` is the 32-bit tool,
# whose HKLM\Software is the 32-bit view; HKCU\Software is the same in both).
kh_reg_add() {
  kh_wine 60 reg add "$1" /v "$2" /t "$3" /d "$4" /f /reg:64 >/dev/null
}

# Settings every test prefix needs: Windows 10, fonts DirectWrite can find, no window
# manager expectations, and crashes that end the process instead of opening a debugger.
kh__configure_prefix() {
  kh_wine 120 winecfg -v win10 </dev/null >/dev/null 2>&1 &&
    kh_reg_add 'HKCU\Software\Wine\Fonts\Replacements' 'Segoe UI' REG_SZ 'Noto Sans CJK KR' &&
    kh_reg_add 'HKCU\Software\Wine\Fonts\Replacements' 'Tahoma' REG_SZ 'DejaVu Sans' &&
    kh_reg_add 'HKCU\Software\Wine\X11 Driver' 'Managed' REG_SZ 'N' &&
    kh_reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' 'Debugger' REG_SZ '' &&
    kh_reg_add 'HKCU\Software\Wine\WineDbg' 'ShowCrashDialog' REG_DWORD 0
}

kh__stop_server() {  # <prefix>: stops every process of the prefix and waits for the end
  ( export WINEPREFIX="$1"
    ( kh__exec_clean wineserver -k ) || true
    ( kh__exec_clean timeout 30 wineserver -w ) || true
  ) </dev/null >/dev/null 2>&1
}

# Builds a configured prefix at <dir> from nothing (wineboot -i), via a temporary folder
# so that a half-made prefix is never mistaken for a ready one.
# Which Wine a prefix was made with: with its 32-bit side (wine32, which installers need) or
# without, and which version. A prefix made before wine32 was installed starts no program once
# it is, and a newer Wine would update a prefix's DLLs in place, through the links its copies
# share; so a ready prefix is one whose marker names the Wine of this machine, and any other is
# made again.
kh__wine_kind() {
  local kind=win64
  [[ -x /usr/lib/wine/wine ]] && kind=wow64
  echo "$kind $(wine --version 2>/dev/null)"
}
kh__is_ready() { [[ -f $1/$KH_MARKER && $(<"$1/$KH_MARKER") == "$(kh__wine_kind)" ]]; }

kh__build_prefix() {
  local dir=$1 tmp="$1.creating.$$" start=$SECONDS
  rm -rf "$tmp"
  (
    export WINEPREFIX=$tmp
    kh_wine 600 wineboot -i </dev/null >/dev/null 2>&1 || { kh__log "wineboot -i failed for $dir"; exit 1; }
    kh__configure_prefix || { kh__log "configuring $dir failed"; exit 1; }
    ( kh__exec_clean timeout 60 wineserver -w ) </dev/null >/dev/null 2>&1 || true
  ) || { kh__stop_server "$tmp"; rm -rf "$tmp"; return 1; }
  kh__wine_kind >"$tmp/$KH_MARKER" && rm -rf "$dir" && mv "$tmp" "$dir" || return 1
  kh__log "created Wine prefix $dir in $(( SECONDS - start )) s"
}

# Runs the rest of its arguments while holding "<path>.lock" exclusively (waits up to 10
# minutes for another creator).
kh__locked() {
  local path=$1 fd rc=0; shift
  exec {fd}>"$path.lock"
  KH_FDS+=("$fd")
  if ! flock -w 600 -x "$fd"; then
    kh__log "timed out waiting for $path.lock"
    exec {fd}>&-; kh__forget_fd "$fd"
    return 1
  fi
  "$@" || rc=$?
  flock -u "$fd"; exec {fd}>&-; kh__forget_fd "$fd"
  return "$rc"
}

kh__ensure_template() {
  kh__is_ready "$1" || kh__build_prefix "$1"
}

# Wine only ever reads the DLLs, programs and tables it put into these folders (while the
# prefix is as new as the Wine, which the marker vouches for), so every copy shares them with
# the template by hard links: a copy then costs tens of megabytes instead of more than a
# gigabyte. Everything else (registry, settings files, what tests add) is copied for real, and
# a test that puts a file into system32 replaces it rather than writing into it.
kh__is_shared_file() {  # <path relative to the prefix>
  [[ $1 =~ ^\./drive_c/windows/(system32|syswow64|winsxs)/.*\.(dll|exe|drv|sys|ocx|acm|cpl|ax|tlb|vxd|nls|com|mod|icm|manifest)$ ]]
}

kh__unshare_copies() {  # <copy>: gives every file but the shared ones its own data
  local file
  while IFS= read -r -d '' file; do
    kh__is_shared_file "$file" && continue
    cp -p "$1/$file" "$1/$file.own" && mv -f "$1/$file.own" "$1/$file" || return 1
  done < <(cd "$1" && find . -type f -print0)
}

kh__copy_template() {  # <template> <dir>
  local tmp="$2.copying.$$"
  rm -rf "$tmp"
  # Hard links need one file system; across two, a full copy.
  { { cp -al "$1" "$tmp" 2>/dev/null && kh__unshare_copies "$tmp"; } ||
      { rm -rf "$tmp" && cp -a "$1" "$tmp"; }; } &&
    rm -rf "$2" && mv "$tmp" "$2" && return 0
  rm -rf "$tmp"
  return 1
}

kh__ensure_prefix() {  # <prefix> <template>
  local prefix=$1 template=$2
  kh__is_ready "$prefix" && return 0
  if [[ $prefix == "$template" ]]; then
    kh__build_prefix "$prefix"
    return
  fi
  kh__locked "$template" kh__ensure_template "$template" || return 1
  kh__locked "$template" kh__copy_template "$template" "$prefix"
}

# The template fresh prefixes are copied from: $KESTRO_WINE_TEMPLATE, else
# "wineprefix.template" next to the given prefix.
kh_template_for() {
  if [[ -n ${KESTRO_WINE_TEMPLATE:-} ]]; then echo "$KESTRO_WINE_TEMPLATE"; return; fi
  echo "$(dirname "$1")/wineprefix.template"
}

# kh_prefix_ready <prefix>: makes <prefix> a ready test prefix (created once, by copying
# the template, which is itself created on first use) and the WINEPREFIX of the following
# kh_wine calls. Without a DISPLAY, a screen shared by the prefix's users is started.
kh_prefix_ready() {
  local prefix
  prefix=$(realpath -m "$1")
  mkdir -p "$(dirname "$prefix")"
  if [[ -z ${KH_USER_FD[$prefix]:-} ]]; then
    local fd
    exec {fd}>"$prefix.users"
    KH_FDS+=("$fd")
    flock -s "$fd"
    KH_USER_FD[$prefix]=$fd
  fi
  kh_ensure_display "$prefix.xvfb" || return 1
  kh__workdir  # made here so kh_wine inside $(...) reuses it instead of leaking new ones
  kh__locked "$prefix" kh__ensure_prefix "$prefix" "$(kh_template_for "$prefix")" || return 1
  export WINEPREFIX=$prefix
  # Start the prefix's wineserver and Windows services now, with their output going
  # nowhere: started by the caller's program they would inherit its output pipes and
  # keep them open (and a ctest waiting) until the server exits.
  kh_wine 120 cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

# kh_fresh_prefix <template-prefix> <new-prefix>: a brand-new copy of the template (made
# if missing) at <new-prefix>, ready for kh_prefix_ready.
kh_fresh_prefix() {
  local template new
  template=$(realpath -m "$1")
  new=$(realpath -m "$2")
  mkdir -p "$(dirname "$template")" "$(dirname "$new")"
  kh__locked "$template" kh__ensure_template "$template" || return 1
  kh__locked "$template" kh__copy_template "$template" "$new"
}

# kh_cleanup: stops what this shell started. For each prefix it used, if no other script
# is using it any more, its wineserver (and every program in it) and its shared screen;
# a screen started without sharing always. Safe to call more than once.
kh_cleanup() {
  local rc=$? errexit=0
  [[ $- == *e* ]] && errexit=1
  set +e
  if [[ -n $KH_CHILD_PID ]]; then
    kill "$KH_CHILD_PID" 2>/dev/null
    wait "$KH_CHILD_PID" 2>/dev/null
    KH_CHILD_PID=""
  fi
  local prefix fd
  for prefix in "${!KH_USER_FD[@]}"; do
    fd=${KH_USER_FD[$prefix]}
    if flock -x -n "$fd"; then
      kh__stop_server "$prefix"
      if [[ $KH_XVFB_STATE == "$prefix.xvfb" ]]; then
        kh__stop_screen
        unset DISPLAY
        rm -f "$KH_XVFB_STATE"
        KH_XVFB_STATE=""
      fi
    elif [[ $KH_XVFB_STATE == "$prefix.xvfb" ]]; then
      KH_XVFB_PID=""   # still in use by another script; the last one stops it
      KH_XVFB_STATE=""
    fi
    exec {fd}>&-
    kh__forget_fd "$fd"
    unset "KH_USER_FD[$prefix]"
  done
  if [[ -z $KH_XVFB_STATE && -n $KH_XVFB_PID ]]; then
    kh__stop_screen
    unset DISPLAY
  fi
  if [[ -n $KH_WORKDIR ]]; then rm -rf "$KH_WORKDIR"; KH_WORKDIR=""; fi
  (( errexit )) && set -e
  return "$rc"
}
