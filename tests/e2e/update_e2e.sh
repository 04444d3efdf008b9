#!/usr/bin/env bash
# End-to-end checks of the updater in Kestro.exe under Wine, through the automatic check at
# start-up, in a fresh copy of the test prefix. A stand-in curl.exe in C:\windows\system32
# serves C:\kestro-test\www and logs its calls; installers are the installer stand-in, signed
# here with certificates made for the run; manifests come from the release tool.
# Covers: the curl call (no user configuration, no URL patterns, at most 64 KiB) and its address
# (lang=en, lang=de), LastUpdateCheck written before the check, nothing left behind afterwards,
# the schedule (recent, switched off, "abc"), rejected manifests, the update question (No,
# Yes), the installer start with its switches and the placement left as it was, every
# verification failure (an older installer of the maker's included), a responsive window
# while a slow check or download runs, and no curl.exe outliving a Kestro closed during a
# download. Every check prints PASS or FAIL; exits non-zero when any failed.
#
# usage: update_e2e.sh <Kestro.exe> <window_poke.exe> <curl.exe> <installer_standin.exe>
#                      <make_update_manifest.exe> <source-dir> <build-dir>
set -uo pipefail

if (( $# != 7 )); then
  echo "usage: $0 <Kestro.exe> <window_poke.exe> <curl.exe> <installer_standin.exe> <make_update_manifest.exe> <source-dir> <build-dir>" >&2
  exit 2
fi
exe=$(realpath "$1")
poke_exe=$(realpath "$2")
curl_exe=$(realpath "$3")
installer_exe=$(realpath "$4")
tool_exe=$(realpath "$5")
repo=$(realpath "$6")
build=$(realpath "$7")

# shellcheck source=../wine/harness.sh
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# shellcheck source=checks.sh
source "$repo/tests/e2e/checks.sh"

work="$build/tests/e2e/update_e2e"
rm -rf "$work"
mkdir -p "$work/shots" "$work/manifests"
template=$(kh_template_for "$build/wineprefix")
prefix="$work/prefix"
kh_fresh_prefix "$template" "$prefix" || { echo "FAIL: no Wine prefix"; exit 1; }
kh_prefix_ready "$prefix" || { echo "FAIL: prefix not ready"; exit 1; }

drive_c="$prefix/drive_c"
cp "$curl_exe" "$drive_c/windows/system32/curl.exe"
root="$drive_c/kestro-test"
www="$root/www/lumwerk.example"
mkdir -p "$www/Kestro" "$www/dl"
temp_host=$(find "$drive_c/users" -mindepth 2 -maxdepth 2 -name Temp ! -path '*/Public/*' | head -n1)
if [[ -z $temp_host ]]; then echo "FAIL: no temporary folder in the prefix"; exit 1; fi
user=$(basename "$(dirname "$temp_host")")
kestro_dir="$temp_host/Kestro"
win_kestro_dir="C:\\users\\$user\\Temp\\Kestro"
manifest_url='https://lumwerk.example/Kestro/update.json'
installer_url='https://lumwerk.example/dl/Kestro-Setup.exe'
served_installer="$www/dl/Kestro-Setup.exe"

if ! bash "$repo/tests/updater/make_signed_installers.sh" "$installer_exe" "$work/installers" >/dev/null; then
  echo "FAIL: test installers could not be signed"
  exit 1
fi

# --- Helpers --------------------------------------------------------------------------------
# shellcheck source=kestro_window.sh
source "$repo/tests/e2e/kestro_window.sh"
lines() { if [[ -f $1 ]]; then wc -l <"$1"; else echo 0; fi; }
curl_calls() { lines "$root/curl-calls.log"; }
curl_exits() { lines "$root/curl-exits.log"; }
installer_runs() { lines "$root/installer-runs.log"; }
installer_ran_since() { (( $(installer_runs) > $1 )); }
called_times() { (( $(curl_calls) >= $1 )); }
exited_times() { (( $(curl_exits) >= $1 )); }
curl_idle() { (( $(curl_exits) >= $(curl_calls) )); }

# The release tool under Wine: <installer> <version> <address> <output>
make_manifest() { kh_wine 60 "$tool_exe" "Z:$1" "$2" "$3" "Z:$4" </dev/null >/dev/null 2>"$work/tool.err"; }

dialog_wid() { xdotool search --onlyvisible --name '^Kestro$' 2>/dev/null | grep -vx "$wid" | head -n1; }
dialog_open() { [[ -n $(dialog_wid) ]]; }
dialog_closed() { ! dialog_open; }
# Ends the run (closing it if it still runs) and the stand-in's transfers, whatever they do.
finish_app() {
  if app_running; then
    poke close >/dev/null 2>&1
    kh_wait_for 20 app_gone || kill "$app_pid" 2>/dev/null
  fi
  [[ -n $app_pid ]] && wait "$app_pid" 2>/dev/null
  app_pid=""
  if ! curl_idle; then
    kh_wine 30 taskkill /f /im curl.exe </dev/null >/dev/null 2>&1
    kh_wait_for 10 curl_idle || true
  fi
  wid=""
}

not_loaded() { ! loaded; }

# Width of the toast's dark face just inside its top edge, as the longest run of dark pixels
# in that row (0: no toast; text of the report under it makes only short runs). The face is
# as wide as its text plus margins, so different texts give different widths. Only a centred
# run counts: the picture also holds what lies on top of the window, and Wine centres message
# boxes on the screen, where one reaches into this row at the window's right edge.
toast_width() {
  local w h f="$work/shots/toast.png"
  read -r w h < <(client_size)
  shot "$f" || { echo 0; return; }
  convert "$f" -crop "${w}x1+${CX}+$(( CY + h - 61 ))" +repage -colorspace gray -depth 8 gray:- 2>/dev/null |
    od -An -v -tu1 -w1 |
    awk -v w="$w" '
      function ended(last,  off) {  # a run of dark pixels ended at pixel <last> (0-based)
        off = (last + 1 - run) + run / 2 - w / 2
        if (run >= 24 && run <= w - 32 && off >= -2 && off <= 2 && run > best) best = run
        run = 0
      }
      { if ($1 < 64) run++; else ended(NR - 2) }
      END { ended(NR - 1); print best + 0 }'
}
# Whether the loading screen (no "Copy all" button) shows in pictures taken back to back for a
# few seconds: a probe under Wine can take well under a second.
loading_seen() {
  local end x f="$work/shots/burst.png"
  x=$(copy_all_x)
  end=$(( $(kh__now_us) + 3000000 ))
  while (( $(kh__now_us) < end )); do
    shot "$f" && [[ $(pixel "$f" "$x" 26) == FFFFFF ]] && return 0
  done
  return 1
}
toast_shown() { (( $(toast_width) > 0 )); }
toast_gone() { ! toast_shown; }
something_visible() { dialog_open || toast_shown; }

last_call() { tail -n1 "$root/curl-calls.log" 2>/dev/null | tr -d '\n'; }
# Whether a Windows path is <file> in the folder of one check or download: the working folder
# itself, or in a copy with administrator rights (every process under this Wine) a new one with
# a random name inside it.
in_run_folder() {  # <windows path> <file name>
  local rest=${1#"$win_kestro_dir\\"}
  [[ $rest != "$1" ]] || return 1
  [[ $rest == "$2" ]] && return 0
  [[ $rest =~ ^[0-9a-f]{32}\\(.*)$ && ${BASH_REMATCH[1]} == "$2" ]]
}
last_call_is_check() {  # <language>
  local fields
  IFS=$'\t' read -r -a fields <<<"$(last_call)"
  [[ ${fields[*]:0:11} == "noconsole -q --globoff --max-filesize 65536 -fsSL --proto =https --max-time 600 -o" ]] &&
    in_run_folder "${fields[11]}" update.json &&
    [[ ${fields[12]} == "$manifest_url?v=0.1.0&lang=$1" && ${#fields[@]} -eq 13 ]]
}
# Nothing left of any check or download: no file, no folder.
nothing_left() { [[ -z $(find "$kestro_dir" -mindepth 1 2>/dev/null) ]]; }
clear_left() { rm -rf "${kestro_dir:?}"/*; }
installer_left() { find "$kestro_dir" -name Kestro-Setup-1.2.0.exe 2>/dev/null | head -n1; }

# --- Manifests ------------------------------------------------------------------------------
m="$work/manifests"
inst="$work/installers"
make_manifest "$inst/norvale.exe" 0.1.0 "$installer_url" "$m/current.json"
check "release tool writes a manifest for 0.1.0" test -s "$m/current.json"
make_manifest "$inst/norvale.exe" 1.2.0 "$installer_url" "$m/norvale.json"
check "release tool writes a manifest for 1.2.0" test -s "$m/norvale.json"
for name in unsigned other case space altered; do
  make_manifest "$inst/$name.exe" 1.2.0 "$installer_url" "$m/$name.json"
done
# The maker's own signature, but the installer says 1.2.0 where the manifest offers 1.3.0.
make_manifest "$inst/norvale.exe" 1.3.0 "$installer_url" "$m/rollback.json"
check "release tool: size and lower-case digest of the installer" \
  grep -q "\"sha256\": \"$(sha256sum "$inst/norvale.exe" | cut -c1-64)\"" "$m/norvale.json"
check "release tool: size" grep -q "\"size\": $(stat -c %s "$inst/norvale.exe")" "$m/norvale.json"
rc=0; make_manifest "$inst/norvale.exe" v1.0 "$installer_url" "$m/refused.json" || rc=$?
check "release tool refuses version v1.0 (exit $rc)" test "$rc" -eq 1 -a ! -e "$m/refused.json"
rc=0; make_manifest "$inst/norvale.exe" 1.2.0 "http://lumwerk.example/dl/K.exe" "$m/refused.json" || rc=$?
check "release tool refuses an http:// address (exit $rc)" test "$rc" -eq 1 -a ! -e "$m/refused.json"
# Hand-made manifests for what the tool refuses, and broken digests.
digest=$(sha256sum "$inst/norvale.exe" | cut -c1-64)
size=$(stat -c %s "$inst/norvale.exe")
printf '{"version": "9.0", "url": "http://lumwerk.example/dl/Kestro-Setup.exe", "sha256": "%s", "size": %s}' \
  "$digest" "$size" >"$m/http.json"
printf '{"version": "v1.0", "url": "%s", "sha256": "%s", "size": %s}' "$installer_url" "$digest" "$size" >"$m/v-version.json"
sed -E 's/"sha256": "[0-9a-f]{64}"/"sha256": "'"$(printf '0%.0s' {1..64})"'"/' "$m/norvale.json" >"$m/zeros.json"
sed -E 's/("sha256": "[0-9a-f]{63})[0-9a-f]"/\1"/' "$m/norvale.json" >"$m/digits63.json"
check "63-digit manifest made" grep -qE '"sha256": "[0-9a-f]{63}"' "$m/digits63.json"

serve() {  # <manifest> [<installer bytes>]
  cp "$1" "$www/Kestro/update.json"
  rm -f "$www"/Kestro/*.delay-ms "$www"/dl/*.delay-ms
  if [[ -n ${2:-} ]]; then cp "$2" "$served_installer"; fi
}

# --- First start, nothing stored: the call, LastUpdateCheck first, update.json gone ----------
serve "$m/current.json"
echo 2000 >"$www/Kestro/update.json.delay-ms"
t0=$(date +%s)
if ! start_app; then fail "first start: no window"; echo "update_e2e: $failures failed"; exit 1; fi
check "first start calls curl" kh_wait_for 20 called_times 1
check "curl called with -q --globoff --max-filesize 65536 ... https://lumwerk.example/Kestro/update.json?v=0.1.0&lang=en" \
  last_call_is_check en
last_call_is_check en || printf 'INFO: got %q\n' "$(last_call)"
stored=$(reg_value LastUpdateCheck)
t1=$(date +%s)
check "LastUpdateCheck written before the check finished (curl still running: $(( $(curl_exits) == 0 )))" \
  test "$(curl_exits)" -eq 0 -a -n "$stored"
check "LastUpdateCheck is now ($stored within $t0..$t1)" test "${stored:-0}" -ge "$t0" -a "${stored:-0}" -le "$t1"
check "curl ends with 0" kh_wait_for 20 exited_times 1
check "update.json and its folder gone after the check" kh_wait_for 10 nothing_left
check "report arrives" kh_wait_for 120 loaded
if kh_wait_for 3 something_visible; then fail "up to date: something shown"; else pass "up to date: nothing visible"; fi
finish_app

# --- Language in the address ----------------------------------------------------------------
reg_delete LastUpdateCheck
kh_reg_add "$settings_key" Language REG_SZ de
serve "$m/current.json"
start_app || fail "German start: no window"
check "Language de: address ends with lang=de" kh_wait_for 20 called_times 2
check "curl called with ...&lang=de" last_call_is_check de
finish_app
reg_delete Language

# --- Schedule -------------------------------------------------------------------------------
no_call_while_running() {  # <what>
  local before
  before=$(curl_calls)
  if ! start_app; then fail "$1: no window"; return; fi
  kh_wait_for 120 loaded || true
  if kh_wait_for 3 called_times $(( before + 1 )); then fail "$1: curl was called"; else pass "$1: no call"; fi
  finish_app
}
kh_reg_add "$settings_key" LastUpdateCheck REG_SZ "$(( $(date +%s) - 100 ))"
no_call_while_running "LastUpdateCheck 100 s ago"
kh_reg_add "$settings_key" LastUpdateCheck REG_SZ "$(( $(date +%s) + 100 ))"
no_call_while_running "LastUpdateCheck 100 s in the future"
reg_delete LastUpdateCheck
kh_reg_add "$settings_key" AutoUpdate REG_DWORD 0
no_call_while_running "AutoUpdate 0"
check "AutoUpdate 0: LastUpdateCheck not written" test -z "$(reg_value LastUpdateCheck)"
reg_delete AutoUpdate

kh_reg_add "$settings_key" LastUpdateCheck REG_SZ abc
calls=$(curl_calls)
start_app || fail "abc start: no window"
check "LastUpdateCheck abc: a call" kh_wait_for 20 called_times $(( calls + 1 ))
finish_app
check "LastUpdateCheck abc replaced by a number" bash -c "[[ '$(reg_value LastUpdateCheck)' =~ ^[1-9][0-9]+$ ]]"

# --- Rejected manifests: nothing visible ----------------------------------------------------
for case in http v-version; do
  reg_delete LastUpdateCheck
  serve "$m/$case.json"
  calls=$(curl_calls)
  start_app || fail "$case: no window"
  check "$case manifest: fetched" kh_wait_for 20 called_times $(( calls + 1 ))
  check "$case manifest: update.json gone" kh_wait_for 10 nothing_left
  kh_wait_for 120 loaded || true
  if kh_wait_for 3 something_visible; then fail "$case manifest: something shown"; else pass "$case manifest: nothing visible"; fi
  finish_app
done

# --- Newer: the question; No -----------------------------------------------------------------
expected_question=$'Kestro\nA new version is available: 1.2.0\n(current 0.1.0)\n\nUpdate now?'
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
clear_left
calls=$(curl_calls)
start_app || fail "offer: no window"
check "newer version: a message box opens" kh_wait_for 20 dialog_open
question=$(poke dialog | tr -d '\r')
check "message box caption and text exact" test "$question" == "$expected_question"
[[ $question == "$expected_question" ]] || printf 'INFO: got %q\n' "$question"
xdotool key --window "$(dialog_wid)" n
check "No closes the message box" kh_wait_for 5 dialog_closed
if kh_wait_for 3 called_times $(( calls + 2 )); then fail "No: something was downloaded"; else pass "No: nothing downloaded"; fi
check "No: no installer file" nothing_left
check "No: Kestro keeps running" app_running
finish_app

# --- A slow check: the window stays responsive ------------------------------------------------
responsive() {  # <what> <calls-expected-running>
  local what=$1 ms top
  poke move 100 50 800 600 >/dev/null
  kh_wait_for 120 loaded || true
  xdotool mousemove --window "$wid" $(( 60 + CX )) $(( 26 + CY )) click 1
  pointer_away
  ms=$(poke ping | tr -d '\r\n')
  check "$what: WM_NULL answered in ${ms:-no answer} ms (< 100)" test -n "$ms" -a "${ms:-999}" -lt 100
  top="$work/shots/top.png"
  kh_wait_for 6 toast_gone || true
  shot "$top"
  xdotool mousemove --window "$wid" $(( 400 + CX )) $(( 300 + CY )) click 5
  pointer_away
  check "$what: wheel scrolls" kh_wait_for 5 differs_from "$top"
  xdotool key --window "$wid" Home
  kh_wait_for 5 same_as "$top" || true
  xdotool mousemove --window "$wid" $(( 60 + CX )) $(( 229 + CY ))
  check "$what: hover highlights a row" kh_wait_for 5 differs_from "$top"
  pointer_away
  kh_wait_for 5 same_as "$top" || true
  # The probe can be over before a picture is taken on a busy machine: up to three tries.
  local seen=1 try
  for try in 1 2 3; do
    kh_wait_for 120 loaded || true
    xdotool key --window "$wid" F5
    if loading_seen; then seen=0; break; fi
  done
  check "$what: F5 reloads (loading screen seen, try $try)" test "$seen" -eq 0
  check "$what: report back after F5" kh_wait_for 120 loaded
  check "$what: the transfer was still running throughout" test "$(curl_exits)" -lt "$2"
}
reg_delete LastUpdateCheck
serve "$m/current.json"
echo 30000 >"$www/Kestro/update.json.delay-ms"
exits=$(curl_exits)
start_app || fail "slow check: no window"
kh_wait_for 20 called_times $(( $(curl_calls) )) || true
responsive "slow check" $(( exits + 1 ))
finish_app

# --- A slow download: responsive too; its toast says "Downloading update…" -------------------
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
echo 30000 >"$served_installer.delay-ms"
clear_left
exits=$(curl_exits)
start_app || fail "slow download: no window"
downloading_width=0
if kh_wait_for 20 dialog_open; then
  xdotool key --window "$(dialog_wid)" Return
  steady_toast() {
    local again
    dialog_closed || return 1
    downloading_width=$(toast_width)
    again=$(toast_width)
    dialog_closed && (( downloading_width > 0 && downloading_width == again ))
  }
  kh_wait_for 3 steady_toast || downloading_width=0
  check "Yes shows a toast (Downloading update…, width $downloading_width)" test "$downloading_width" -gt 0
  responsive "slow download" $(( exits + 2 ))
else
  fail "slow download: no question"
fi
finish_app
rm -f "$served_installer.delay-ms"

# --- Closing Kestro during a slow download ends its curl.exe too -------------------------------
# Live curl.exe processes of this machine (a zombie is over; only its parent has not looked).
curl_processes() { ps -eo stat=,comm= | awk '$2 == "curl.exe" && $1 !~ /^Z/' | wc -l; }
curl_running() { (( $(curl_processes) > 0 )); }
no_curl_running() { ! curl_running; }
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
echo 30000 >"$served_installer.delay-ms"
clear_left
start_app || fail "close while downloading: no window"
if kh_wait_for 20 dialog_open; then
  calls=$(curl_calls)
  xdotool key --window "$(dialog_wid)" Return
  check "close while downloading: the download runs" kh_wait_for 20 called_times $(( calls + 1 ))
  check "close while downloading: its curl.exe runs" kh_wait_for 10 curl_running
  exits=$(curl_exits)
  poke close >/dev/null
  expect_exit "close while downloading"
  check "close while downloading: no curl.exe left running" kh_wait_for 10 no_curl_running
  check "close while downloading: curl never finished" test "$(curl_exits)" -eq "$exits"
  check "close while downloading: no installer written" test -z "$(installer_left)"
else
  fail "close while downloading: no question"
fi
finish_app
rm -f "$served_installer.delay-ms"

# --- Verification failures: toast, file deleted, installer never runs, Kestro keeps running ---
declare -A widths=()
rejected() {  # <case> <manifest> <served file>
  local case=$1 runs width=0
  reg_delete LastUpdateCheck
  serve "$2" "$3"
  clear_left
  runs=$(installer_runs)
  if ! start_app; then fail "$case: no window"; return; fi
  if ! kh_wait_for 20 dialog_open; then fail "$case: no question"; finish_app; return; fi
  xdotool key --window "$(dialog_wid)" Return
  # Two looks in a row that agree, both taken once the message box is gone: X hands back what
  # lies on top of the window, so a box still being taken down hides part of the toast.
  failure_toast() {
    local again
    dialog_closed || return 1
    width=$(toast_width)
    again=$(toast_width)
    dialog_closed && (( width > 0 && width == again && width != downloading_width ))
  }
  if kh_wait_for 5 failure_toast; then pass "$case: failure toast (width $width)"; else fail "$case: no failure toast"; fi
  widths[$case]=$width
  check "$case: downloaded file deleted, nothing left" kh_wait_for 10 nothing_left
  if kh_wait_for 2 installer_ran_since "$runs"; then
    fail "$case: the installer ran"
  else
    pass "$case: the installer never ran"
  fi
  check "$case: Kestro keeps running" app_running
  finish_app
}
head -c -1 "$inst/norvale.exe" >"$work/short.exe"
rejected size "$m/norvale.json" "$work/short.exe"
rejected digest "$m/zeros.json" "$inst/norvale.exe"
rejected digest63 "$m/digits63.json" "$inst/norvale.exe"
for name in unsigned other case space altered; do
  rejected "$name" "$m/$name.json" "$inst/$name.exe"
done
rejected rollback "$m/rollback.json" "$inst/norvale.exe"
check "size, digest and signature toasts differ (${widths[size]}, ${widths[digest]}, ${widths[unsigned]})" \
  test "${widths[size]}" != "${widths[digest]}" -a "${widths[digest]}" != "${widths[unsigned]}" \
       -a "${widths[size]}" != "${widths[unsigned]}"
check "63 digits: the same toast as a wrong digest" test "${widths[digest63]}" == "${widths[digest]}"
for name in other case space altered rollback; do
  check "$name: the same toast as unsigned" test "${widths[$name]}" == "${widths[unsigned]}"
done

# --- Yes: the installer starts, Kestro ends, the placement stays -----------------------------
placement_before=$(reg_value Placement)
check "a placement was stored by the earlier closes" test -n "$placement_before"
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
clear_left
runs=$(installer_runs)
start_app || fail "install: no window"
poke move 300 120 900 700 >/dev/null
if kh_wait_for 20 dialog_open; then
  xdotool key --window "$(dialog_wid)" Return
  check "Yes: the installer runs" kh_wait_for 20 installer_ran_since "$runs"
  run=$(tail -n1 "$root/installer-runs.log" 2>/dev/null | tr -d '\n')
  installer_win="${run%%$'\t'*}"
  check "installer started from the run's folder" in_run_folder "$installer_win" Kestro-Setup-1.2.0.exe
  expected_run="$installer_win"$'\t'"\"$installer_win\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1"
  check "installer started as \"<path>\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1" test "$run" == "$expected_run"
  [[ $run == "$expected_run" ]] || printf 'INFO: got %q\n' "$run"
  check "Kestro ends after starting the installer" kh_wait_for 20 app_gone
  rc=0; wait "$app_pid" || rc=$?
  check "Kestro's exit code is 0 (got $rc)" test "$rc" -eq 0
  app_pid=""
  check "the installer file stays" test -n "$(installer_left)"
  check "the stored placement is unchanged" test "$(reg_value Placement)" == "$placement_before"
else
  fail "install: no question"
fi
finish_app

echo "update_e2e: $failures failed"
(( failures == 0 ))
