#!/usr/bin/env bash
# End-to-end checks of the updater in Kestro.exe under Wine, through the automatic check at
# start-up, in a fresh copy of the test prefix. A stand-in curl.exe in C:\windows\system32
# serves C:\kestro-test\www and logs its calls; installers are the installer stand-in, signed
# here with certificates made for the run; manifests come from the release tool.
# Covers: the curl call (no user configuration, no URL patterns, at most 64 KiB) and its address
# (lang=en, lang=de), LastUpdateCheck written before the check, nothing left behind afterwards,
# the schedule (recent, switched off, "abc"), rejected manifests, the update question (No,
# Yes), the installer start with its switches and the placement left as it was, every
# verification failure (an older installer of the maker's and another of its programs included),
# a responsive window
# while a slow check or download runs, and no curl.exe outliving a Kestro closed during a
# download, and the installer an update left removed at the next start. Kestro runs with the
# user's own rights (limited_launcher.exe), from a folder where DLLs named after system DLLs
# were planted, none of which it may load. Toasts are told apart by their text, read from the
# window's UI Automation tree. Every check prints PASS or FAIL; exits non-zero when any failed.
#
# usage: update_e2e.sh <Kestro.exe> <window_poke.exe> <uia_walk.exe> <curl.exe>
#                      <installer_standin.exe> <installer_standin_other.exe>
#                      <make_update_manifest.exe> <limited_launcher.exe> <planted_dll.dll>
#                      <source-dir> <build-dir>
set -uo pipefail

# shellcheck source=wine_script.sh
source "$(dirname "$0")/wine_script.sh" built_exe poke_exe walk_exe curl_exe installer_exe \
  other_product_exe tool_exe launcher_exe dll_file repo build -- "$@"

version=$(built_version "$build") || { echo "FAIL: no version header in $build"; exit 1; }
offered=1.2.0   # a newer version: what the installer stand-in's version resource says
beyond=1.3.0    # newer still: offered by a manifest whose installer says $offered

work="$build/tests/e2e/update_e2e"
rm -rf "$work"
mkdir -p "$work/shots" "$work/manifests" "$work/app"
e2e_fresh_prefix "$work"
# shellcheck source=planted_dlls.sh
source "$repo/tests/e2e/planted_dlls.sh"
exe="$work/app/Kestro.exe"
cp "$built_exe" "$exe"
plant_dlls "$dll_file" "$work/app" || { echo "FAIL: DLLs could not be planted"; exit 1; }

drive_c="$prefix/drive_c"
cp --remove-destination "$curl_exe" "$drive_c/windows/system32/curl.exe"
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

if ! bash "$repo/tests/updater/make_signed_installers.sh" "$installer_exe" "$other_product_exe" \
    "$work/installers" >/dev/null; then
  echo "FAIL: test installers could not be signed"
  exit 1
fi

# --- Helpers --------------------------------------------------------------------------------
# shellcheck source=kestro_window.sh
source "$repo/tests/e2e/kestro_window.sh"
launch=("$launcher_exe")
lines() { if [[ -f $1 ]]; then wc -l <"$1"; else echo 0; fi; }
curl_calls() { lines "$root/curl-calls.log"; }
curl_exits() { lines "$root/curl-exits.log"; }
installer_runs() { lines "$root/installer-runs.log"; }
installer_ran_since() { (( $(installer_runs) > $1 )); }
called_times() { (( $(curl_calls) >= $1 )); }
exited_times() { (( $(curl_exits) >= $1 )); }
curl_idle() { (( $(curl_exits) >= $(curl_calls) )); }
# Live curl.exe processes of this prefix (a zombie is over; only its parent has not looked). A
# stopped one never writes its exit, so after a stop only this tells that it is gone.
curl_processes() {
  local pid n=0
  for pid in $(ps -eo pid=,stat=,comm= | awk '$3 == "curl.exe" && $2 !~ /^Z/ { print $1 }'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" && n=$((n + 1))
  done
  echo "$n"
}
curl_running() { (( $(curl_processes) > 0 )); }
no_curl_running() { ! curl_running; }

# The release tool under Wine: <installer> <version> <address> <output>
make_manifest() { kh_wine 60 "$tool_exe" "Z:$1" "$2" "$3" "Z:$4" </dev/null >/dev/null 2>"$work/tool.err"; }

# Ends the run (closing it if it still runs) and the stand-in's transfers, whatever they do.
finish_app() {
  if app_running; then
    poke close >/dev/null 2>&1
    kh_wait_for 20 app_gone || app_kill
  fi
  [[ -n $app_pid ]] && wait "$app_pid" 2>/dev/null
  app_pid=""
  if ! curl_idle; then
    kh_taskkill curl.exe
    guard "curl.exe ends with the run" kh_wait_for 10 no_curl_running
  fi
  wid=""
}

# What the toast says after each outcome.
downloading_text="Downloading update…"
size_text="Downloaded size mismatch"
digest_text="Downloaded file is corrupt (hash mismatch)"
signature_text="The installer's digital signature could not be verified"
something_visible() { dialog_open || toast_shown; }

last_call() { tail -n1 "$root/curl-calls.log" 2>/dev/null | tr -d '\n'; }
in_run_folder() { [[ $1 == "$win_kestro_dir\\$2" ]]; }  # <windows path> <file name>
last_call_is_check() {  # <language>
  local fields
  IFS=$'\t' read -r -a fields <<<"$(last_call)"
  [[ ${fields[*]:0:11} == "noconsole -q --globoff --max-filesize 65536 -fsSL --proto =https --max-time 600 -o" ]] &&
    in_run_folder "${fields[11]}" update.json &&
    [[ ${fields[12]} == "$manifest_url?v=$version&lang=$1" && ${#fields[@]} -eq 13 ]]
}
# Nothing left of any check or download: no file, no folder.
nothing_left() { [[ -z $(find "$kestro_dir" -mindepth 1 2>/dev/null) ]]; }
clear_left() { rm -rf "${kestro_dir:?}"/*; }
installer_left() { find "$kestro_dir" -name "Kestro-Setup-$offered.exe" 2>/dev/null | head -n1; }

# --- Manifests ------------------------------------------------------------------------------
m="$work/manifests"
inst="$work/installers"
make_manifest "$inst/norvale.exe" "$version" "$installer_url" "$m/current.json"
check "release tool writes a manifest for $version" test -s "$m/current.json"
make_manifest "$inst/norvale.exe" "$offered" "$installer_url" "$m/norvale.json"
check "release tool writes a manifest for $offered" test -s "$m/norvale.json"
for name in unsigned other case space altered other-program other-product; do
  make_manifest "$inst/$name.exe" "$offered" "$installer_url" "$m/$name.json"
done
# The maker's own signature, but the installer says $offered where the manifest offers $beyond.
make_manifest "$inst/norvale.exe" "$beyond" "$installer_url" "$m/rollback.json"
check "release tool: size and lower-case digest of the installer" \
  grep -q "\"sha256\": \"$(sha256sum "$inst/norvale.exe" | cut -c1-64)\"" "$m/norvale.json"
check "release tool: size" grep -q "\"size\": $(stat -c %s "$inst/norvale.exe")" "$m/norvale.json"
rc=0; make_manifest "$inst/norvale.exe" v1.0 "$installer_url" "$m/refused.json" || rc=$?
check "release tool refuses version v1.0 (exit $rc)" test "$rc" -eq 1 -a ! -e "$m/refused.json"
rc=0; make_manifest "$inst/norvale.exe" "$offered" "http://lumwerk.example/dl/K.exe" "$m/refused.json" || rc=$?
check "release tool refuses an http:// address (exit $rc)" test "$rc" -eq 1 -a ! -e "$m/refused.json"
# Hand-made manifests for what the tool refuses, and broken digests.
digest=$(sha256sum "$inst/norvale.exe" | cut -c1-64)
size=$(stat -c %s "$inst/norvale.exe")
printf '{"version": "9.0", "url": "http://lumwerk.example/dl/Kestro-Setup.exe", "sha256": "%s", "size": %s}' \
  "$digest" "$size" >"$m/http.json"
printf '{"version": "v1.0", "url": "%s", "sha256": "%s", "size": %s}' "$installer_url" "$digest" "$size" >"$m/v-version.json"
# No size: a download without a bound, refused like any other broken manifest.
printf '{"version": "9.0", "url": "%s", "sha256": "%s"}' "$installer_url" "$digest" >"$m/no-size.json"
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
check "curl called with -q --globoff --max-filesize 65536 ... https://lumwerk.example/Kestro/update.json?v=$version&lang=en" \
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
  if guard "$1: report arrives" kh_wait_for 120 loaded; then
    if kh_wait_for 3 called_times $(( before + 1 )); then fail "$1: curl was called"; else pass "$1: no call"; fi
  fi
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
for case in http v-version no-size; do
  reg_delete LastUpdateCheck
  serve "$m/$case.json"
  calls=$(curl_calls)
  start_app || fail "$case: no window"
  check "$case manifest: fetched" kh_wait_for 20 called_times $(( calls + 1 ))
  check "$case manifest: update.json gone" kh_wait_for 10 nothing_left
  if guard "$case manifest: report arrives" kh_wait_for 120 loaded; then
    if kh_wait_for 3 something_visible; then fail "$case manifest: something shown"; else pass "$case manifest: nothing visible"; fi
  fi
  finish_app
done

# --- Newer: the question; No -----------------------------------------------------------------
expected_question="Kestro"$'\n'"A new version is available: $offered"$'\n'"(current $version)"$'\n\n'"Update now?"
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
clear_left
calls=$(curl_calls)
start_app || fail "offer: no window"
check "newer version: a message box opens" kh_wait_for 20 dialog_open
question=$(dialog_text)
check "message box caption and text exact" test "$question" == "$expected_question"
[[ $question == "$expected_question" ]] || printf 'INFO: got %q\n' "$question"
check "No closes the message box" answer_dialog no
if kh_wait_for 3 called_times $(( calls + 2 )); then fail "No: something was downloaded"; else pass "No: nothing downloaded"; fi
check "No: no installer file" nothing_left
check "No: Kestro keeps running" app_running
finish_app

# --- A slow check: the window stays responsive ------------------------------------------------
responsive() {  # <what> <calls-expected-running>
  local what=$1 ms top="$work/shots/top.png"
  poke move 100 50 800 600 >/dev/null
  guard "$what: report arrives" kh_wait_for 120 loaded || return
  click_at toolbar
  pointer_away
  ms=$(poke ping | tr -d '\r\n')
  check "$what: WM_NULL answered in ${ms:-no answer} ms (< 100)" test -n "$ms" -a "${ms:-999}" -lt 100
  if guard "$what: no toast in the reference picture" kh_wait_for 6 toast_gone && shot "$top"; then
    pointer_to 400 300 && xdotool click 5
    pointer_away
    check "$what: wheel scrolls" kh_wait_for 5 differs_from "$top"
    key Home
    if guard "$what: Home returns to the top" kh_wait_for 5 same_as "$top"; then
      pointer_at row 0
      check "$what: hover highlights a row" kh_wait_for 5 differs_from "$top"
      pointer_away
      guard "$what: the highlight goes with the pointer" kh_wait_for 5 same_as "$top"
    fi
  fi
  check "$what: F5 reloads (the loading text seen)" reload_seen
  echo "INFO: $what: F5 presses until the loading text was seen: $reload_tries"
  check "$what: report back after F5" kh_wait_for 120 loaded
  check "$what: the transfer was still running throughout" test "$(curl_exits)" -lt "$2"
}
reg_delete LastUpdateCheck
serve "$m/current.json"
echo 30000 >"$www/Kestro/update.json.delay-ms"
exits=$(curl_exits)
calls=$(curl_calls)
start_app || fail "slow check: no window"
if guard "slow check: curl called" kh_wait_for 20 called_times $(( calls + 1 )); then
  responsive "slow check" $(( exits + 1 ))
fi
finish_app

# --- A slow download: responsive too; its toast says "Downloading update…" -------------------
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
echo 30000 >"$served_installer.delay-ms"
clear_left
exits=$(curl_exits)
start_app || fail "slow download: no window"
if kh_wait_for 20 dialog_open; then
  answer_dialog yes
  check "Yes shows the toast '$downloading_text'" kh_wait_for 3 toast_is "$downloading_text"
  responsive "slow download" $(( exits + 2 ))
else
  fail "slow download: no question"
fi
finish_app
rm -f "$served_installer.delay-ms"

# --- Closing Kestro during a slow download ends its curl.exe too -------------------------------
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
echo 30000 >"$served_installer.delay-ms"
clear_left
start_app || fail "close while downloading: no window"
if kh_wait_for 20 dialog_open; then
  calls=$(curl_calls)
  answer_dialog yes
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

# --- Closed during a download, 20 times: the process ends cleanly every time --------------------
# The download thread and its curl.exe are still working when the window goes; what they hand
# over afterwards must touch nothing that went with the window.
reg_delete LastUpdateCheck
serve "$m/norvale.json" "$inst/norvale.exe"
echo 30000 >"$served_installer.delay-ms"
walk_saved=$walk_exe walk_exe=""  # these starts read nothing from the tree
crashes=0 statuses=""
for i in $(seq 1 20); do
  reg_delete LastUpdateCheck
  clear_left
  if ! start_app || ! kh_wait_for 20 dialog_open; then
    crashes=$((crashes + 1)); statuses+=" no-question"
    finish_app
    continue
  fi
  answer_dialog yes
  kh_wait_for 10 curl_running
  poke close >/dev/null
  rc=0
  if kh_wait_for 20 app_gone; then wait "$app_pid" || rc=$?; else rc=timeout; app_kill; fi
  app_pid=""
  [[ $rc == 0 ]] || { crashes=$((crashes + 1)); statuses+=" $rc"; }
  kh_wait_for 10 no_window || { crashes=$((crashes + 1)); statuses+=" window-stayed"; }
  finish_app
done
walk_exe=$walk_saved
check "closed during a download 20 times, always exit code 0, window gone (failures:${statuses:- none})" \
  test "$crashes" -eq 0
rm -f "$served_installer.delay-ms"

# --- Verification failures: toast, file deleted, installer never runs, Kestro keeps running ---
# Each failure names itself in the toast: the size, the digest (63 digits are a wrong digest
# too), and every signature that is not the maker's (an older installer of the maker's too).
rejected() {  # <case> <manifest> <served file> <toast text>
  local case=$1 expected=$4 runs calls transfers
  reg_delete LastUpdateCheck
  serve "$2" "$3"
  clear_left
  runs=$(installer_runs) calls=$(curl_calls)
  if ! start_app; then fail "$case: no window"; return; fi
  if ! kh_wait_for 20 dialog_open; then
    fail "$case: no question ($(( $(curl_calls) - calls )) transfers, LastUpdateCheck '$(reg_value LastUpdateCheck)')"
    finish_app
    return
  fi
  answer_dialog yes
  failure_toast() { dialog_closed && toast_is "$expected"; }
  if kh_wait_for 5 failure_toast; then
    pass "$case: failure toast '$expected'"
  else
    fail "$case: failure toast '$expected' (toast '$(toast_text)', question $(dialog_open && echo open || echo closed))"
  fi
  check "$case: downloaded file deleted, nothing left" kh_wait_for 10 nothing_left
  if kh_wait_for 2 installer_ran_since "$runs"; then
    fail "$case: the installer ran"
  else
    pass "$case: the installer never ran"
  fi
  check "$case: Kestro keeps running" app_running
  # A refused installer is not fetched again: the check's manifest and one download.
  transfers=$(( $(curl_calls) - calls ))
  check "$case: two transfers in all (got $transfers)" test "$transfers" -eq 2
  finish_app
}
head -c -1 "$inst/norvale.exe" >"$work/short.exe"
rejected size "$m/norvale.json" "$work/short.exe" "$size_text"
rejected digest "$m/zeros.json" "$inst/norvale.exe" "$digest_text"
rejected digest63 "$m/digits63.json" "$inst/norvale.exe" "$digest_text"
for name in unsigned other case space altered other-program other-product; do
  rejected "$name" "$m/$name.json" "$inst/$name.exe" "$signature_text"
done
rejected rollback "$m/rollback.json" "$inst/norvale.exe" "$signature_text"

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
  answer_dialog yes
  check "Yes: the installer runs" kh_wait_for 20 installer_ran_since "$runs"
  run=$(tail -n1 "$root/installer-runs.log" 2>/dev/null | tr -d '\n')
  installer_win="${run%%$'\t'*}"
  check "installer started from the run's folder" in_run_folder "$installer_win" "Kestro-Setup-$offered.exe"
  expected_run="$installer_win"$'\t'"\"$installer_win\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1"
  check "installer started as \"<path>\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1" test "$run" == "$expected_run"
  [[ $run == "$expected_run" ]] || printf 'INFO: got %q\n' "$run"
  check "Kestro ends after starting the installer" kh_wait_for 20 app_gone
  rc=0; wait "$app_pid" || rc=$?
  check "Kestro's exit code is 0 (got $rc)" test "$rc" -eq 0
  app_pid=""
  check "the installer file stays while the update runs" test -n "$(installer_left)"
  check "the stored placement is unchanged" test "$(reg_value Placement)" == "$placement_before"
else
  fail "install: no question"
fi
finish_app

# --- The next start removes every installer left behind that nothing holds open -------------
# (here the stand-in installed nothing: the $offered one is newer, as the file of a download cut
# short is, and goes too)
kh_reg_add "$settings_key" LastUpdateCheck REG_SZ "$(date +%s)"  # no check on this start
cp "$inst/norvale.exe" "$kestro_dir/Kestro-Setup-$version.exe"
cp "$inst/norvale.exe" "$kestro_dir/Kestro-Setup-0.0.1.exe"
left_names() { find "$kestro_dir" -maxdepth 1 -name 'Kestro-Setup-*.exe' -printf '%f\n' | sort | paste -sd' '; }
left_is() { [[ $(left_names) == "$1" ]]; }
if start_app; then
  check "the next start deletes the installers of $version, 0.0.1 and the newer $offered" \
    kh_wait_for 40 left_is ""
else
  fail "next start: no window"
fi
finish_app
check "no planted DLL was loaded (loaded: $(planted_loaded "$work/app"))" test -z "$(planted_loaded "$work/app")"

echo "update_e2e: $failures failed"
(( failures == 0 ))
