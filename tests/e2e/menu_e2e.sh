#!/usr/bin/env bash
# End-to-end checks of the toolbar's pop-up menu under Wine, in a fresh copy of the test prefix:
# the menu as it opens (read from inside Kestro's process through menu_hook.dll), items chosen
# with the keyboard (languages, automatic updates, About, the maker's website in English and
# Japanese, which the elevated copy hands to the desktop's shell and a copy with the user's own
# rights opens itself, Check for updates with the curl stand-in), Escape changing nothing, and a press on
# the title bar released over a row copying nothing. Under Wine every process is elevated: that
# copy neither checks nor downloads, and its Check for updates says where updates come from; a
# last start with the user's own rights (limited_launcher.exe) checks. Also times click-to-menu. Toasts are told
# by their text, read from the window's UI Automation tree.
# Every check prints PASS or FAIL; the script exits non-zero when any check failed.
#
# usage: menu_e2e.sh <Kestro.exe> <window_poke.exe> <uia_walk.exe> <curl.exe> <limited_launcher.exe>
#                    <handler_recorder.exe> <source-dir> <build-dir>
set -uo pipefail

# shellcheck source=wine_script.sh
source "$(dirname "$0")/wine_script.sh" exe poke_exe walk_exe curl_exe launcher_exe handler_exe repo \
  build -- "$@"

version=$(built_version "$build") || { echo "FAIL: no version header in $build"; exit 1; }
work="$build/tests/e2e/menu_e2e"
rm -rf "$work"
mkdir -p "$work"
e2e_fresh_prefix "$work"
# shellcheck source=kestro_window.sh
source "$repo/tests/e2e/kestro_window.sh"

drive_c="$prefix/drive_c"
# The https handler, planted where this Wine's shell reads it (HKLM\Software\Classes; Windows
# reads HKCU's first, where any program of the user can plant one): it writes down the process
# that asked for the address and the address.
cp "$handler_exe" "$drive_c/handler_recorder.exe"
opened="$drive_c/opened.txt"
kh_wine 60 reg add 'HKLM\Software\Classes\https\shell\open\command' /ve /f /reg:64 \
  /d '"C:\handler_recorder.exe" "C:\opened.txt" "%1"' >/dev/null
# The curl stand-in serves an up-to-date manifest, slowly enough to see the first toast.
cp --remove-destination "$curl_exe" "$drive_c/windows/system32/curl.exe"
www="$drive_c/kestro-test/www/lumwerk.example/Kestro"
mkdir -p "$www"
printf '{"version": "%s", "url": "https://lumwerk.example/dl/Kestro-Setup.exe", "sha256": "00", "size": 1}' \
  "$version" >"$www/update.json"
echo 1500 >"$www/update.json.delay-ms"
curl_log="$drive_c/kestro-test/curl-calls.log"
temp_kestro=$(find "$drive_c/users" -mindepth 2 -maxdepth 2 -name Temp ! -path '*/Public/*' | head -n1)/Kestro
curl_calls() { if [[ -f $curl_log ]]; then wc -l <"$curl_log"; else echo 0; fi; }

menu_text() { poke menu | tr -d '\r'; }
menu_open() { poke menu >/dev/null; }
menu_closed() { ! menu_open; }
open_menu() {
  click_at menu
  pointer_away
  guard "the menu opens" kh_wait_for 10 menu_open
}
choose() {  # <number of Down presses> [Right <Down presses in the submenu>]
  local i
  for (( i = 0; i < $1; ++i )); do key Down; done
  if (( $# == 3 )); then
    key Right
    for (( i = 0; i < $3; ++i )); do key Down; done
  fi
  key Return
  guard "the menu closes with the choice" kh_wait_for 10 menu_closed
}
has_value() { kh_wine 60 reg query "$settings_key" /v "$1" </dev/null >/dev/null 2>&1; }
# The text of a REG_SZ value, also when it is empty.
text_value() {
  kh_wine 60 reg query "$settings_key" /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v name="$1" '$1 == name { sub(/^[\t ]*[^\t ]+[\t ]+REG_SZ[\t ]*/, ""); print; found = 1 }
                      END { exit !found }'
}
no_value() { ! has_value "$1"; }
text_is() { has_value "$1" && [[ $(text_value "$1") == "$2" ]]; }
reg_is() { [[ $(reg_value "$1") == "$2" ]]; }
reports_in_english() { clipboard_win | tr -d '\r' | grep -q '^\[Summary\]$'; }
only_checked() {  # <line of the one checked language item>
  local m
  m=$(menu_text)
  grep -qxF "$1" <<<"$m" && (( $(grep -c $'\t1\t' <<<"$m") == 2 ))  # that item and Automatic updates
}
curl_called_for() {  # <calls before> <query>
  (( $(curl_calls) > $1 )) && tail -n1 "$curl_log" | grep -qF "$2"
}
opened_is() { [[ -f $opened && $(tail -n1 "$opened" | cut -f2 | tr -d '\r') == "$1" ]]; }
# Whether the last address was handed over by this Kestro itself (as its parent) rather than
# by another process (the desktop's shell).
opened_by_kestro() { [[ $(tail -n1 "$opened" | cut -f1) == "$(poke pid | tr -d '\r')" ]]; }

# Nothing stored: a copy with the user's own rights would check now; this elevated one does not.
if ! start_app; then fail "window titled Kestro did not appear"; echo "menu_e2e: $failures failed"; exit 1; fi
pointer_away
check "report arrives" kh_wait_for 120 loaded
check "as administrator: no automatic check" test "$(curl_calls)" -eq 0
check "as administrator: LastUpdateCheck is not written" no_value LastUpdateCheck

# --- The menu as it opens, and how fast -------------------------------------------------------
menu_windows() { xdotool search --onlyvisible --class kestro 2>/dev/null | grep -cvx "$wid"; }
menu_window_shown() { (( $(menu_windows) > before )); }
before=$(menu_windows)
start=$(kh__now_us)
click_at menu
kh_wait_for 5 menu_window_shown
echo "INFO: click to menu window on screen: $(( ($(kh__now_us) - start) / 1000 )) ms (looked for every 0.1 s)"
pointer_away
check "menu opens" kh_wait_for 10 menu_open
expected_menu=$(printf '%s\n' \
  $'0\t0\tLanguage' $'\t100\t1\tFollow Windows' $'\t-' $'\t101\t0\tEnglish' $'\t102\t0\t한국어' \
  $'\t103\t0\t日本語' $'\t104\t0\t简体中文' $'\t105\t0\t繁體中文' $'\t106\t0\tEspañol' \
  $'\t107\t0\tFrançais' $'\t108\t0\tDeutsch' $'\t109\t0\tPortuguês' $'\t110\t0\tРусский' \
  $'1\t1\tAutomatic updates' $'2\t0\tCheck for updates' $'3\t0\tMore apps from Lumwerk' \
  $'4\t0\tAbout Kestro')
got_menu=$(menu_text)
check "menu items, ids and check marks with nothing stored" test "$got_menu" == "$expected_menu"
[[ $got_menu == "$expected_menu" ]] || printf 'INFO: menu was\n%s\n' "$got_menu"
key Escape
check "Escape closes the menu" kh_wait_for 10 menu_closed
check "Escape stores no language" no_value Language
check "Escape stores no automatic-update setting" no_value AutoUpdate

# --- Deutsch: stored, told, the interface stays English, the next menu marks it ---------------
open_menu && choose 1 Right 8
check "the language toast says 'Takes effect the next time Kestro opens'" \
  kh_wait_for 5 toast_is "Takes effect the next time Kestro opens"
check "choosing Deutsch stores Language de" kh_wait_for 10 text_is Language de
key ctrl+c
check "the interface stays English until the next start" kh_wait_for 15 reports_in_english
open_menu
check "the next menu checks Deutsch and no other language" only_checked $'\t108\t1\tDeutsch'
key Escape
guard "Escape closes the menu again" kh_wait_for 10 menu_closed
open_menu && choose 1 Right 0
check "Follow Windows stores an empty text, not a deleted value" kh_wait_for 10 text_is Language ""

# --- Automatic updates toggles ----------------------------------------------------------------
open_menu && choose 2
check "Automatic updates from absent stores 0" kh_wait_for 10 reg_is AutoUpdate 0x0
open_menu
check "the menu then shows it unchecked" bash -c 'grep -qxF "$1" <<<"$2"' _ $'1\t0\tAutomatic updates' "$(menu_text)"
choose 2
check "choosing it again stores 1" kh_wait_for 10 reg_is AutoUpdate 0x1

# --- About ---------------------------------------------------------------------------------
open_menu && choose 5
check "About opens a message box" kh_wait_for 10 dialog_open
expected_about="About Kestro"$'\n'"Kestro $version"$'\n\nA free app that shows your PC\'s specs and health on one screen\n\nhttps://lumwerk.example/Kestro/\n© 2026 Lumwerk'
about=$(dialog_text)
check "About caption and text" test "$about" == "$expected_about"
[[ $about == "$expected_about" ]] || printf 'INFO: About was %q\n' "$about"
poke dialog-ok
check "OK closes the About box" kh_wait_for 10 dialog_closed

# --- The maker's website ----------------------------------------------------------------------
open_menu && choose 4
check "More apps opens https://lumwerk.example/" kh_wait_for 15 opened_is "https://lumwerk.example/"
if opened_by_kestro; then
  fail "as administrator: the planted https handler was started by Kestro itself"
else
  pass "as administrator: the https handler was started by the desktop's shell, not by Kestro"
fi

# --- Check for updates, as administrator: nothing fetched, the user told where updates come from --
rm -rf "$temp_kestro"
open_menu && choose 3
check "as administrator, Check for updates says how to update" \
  kh_wait_for 3 toast_is "To update, open Kestro normally (not as administrator)"
if kh_wait_for 3 curl_called_for 0 update.json; then fail "as administrator: curl was called"; else pass "as administrator: nothing fetched"; fi
check "as administrator: no working folder made" test ! -e "$temp_kestro"
# --- A press on the title bar released over a row copies nothing ---------------------------
title_bar_press() {  # on the strip above the client area, released over <what...> (see at)
  local X Y W H x y w h px py
  read -r px py < <(at "$@") && read -r X Y W H < <(geometry) && read -r x y w h < <(client_area) &&
    xdotool mousemove $(( x + 300 )) $(( (Y + y) / 2 )) mousedown 1 mousemove $(( x + px )) $(( y + py )) mouseup 1
}
click_at row 0  # copies the first Summary row: the marker
pointer_away
marker_copied() { toast_is "Copied: $(clipboard_win)"; }
marker_settled() { kh_wait_for 5 marker_copied && kh_wait_for 6 toast_gone; }
if guard "the marker is copied and its toast went" marker_settled; then
  first=$(clipboard_win)
  title_bar_press row 1
  pointer_away
  if kh_wait_for 3 toast_shown; then fail "title-bar press, row release: a toast"; else pass "title-bar press, row release: no toast"; fi
  check "title-bar press, row release: clipboard unchanged" test "$(clipboard_win)" == "$first"
fi

poke close
expect_exit "close after the menu checks"

# --- Japanese: the Japanese page of the website ----------------------------------------------
kh_reg_add "$settings_key" Language REG_SZ ja
if start_app; then
  check "Japanese start: report arrives" kh_wait_for 120 loaded
  open_menu && choose 4
  check "More apps in Japanese opens https://lumwerk.example/ja/" \
    kh_wait_for 15 opened_is "https://lumwerk.example/ja/"
  poke close
  expect_exit "close after the Japanese start"
else
  fail "Japanese start: no window"
fi

# --- With the user's own rights, Check for updates checks -----------------------------------------
kh_reg_add "$settings_key" Language REG_SZ en
kh_reg_add "$settings_key" LastUpdateCheck REG_SZ "$(date +%s)"  # no automatic check on this start
launch=("$launcher_exe")
if start_app; then
  check "user's own rights: report arrives" kh_wait_for 120 loaded
  calls=$(curl_calls)
  open_menu && choose 3
  check "Check for updates shows 'Checking for updates…' at once" \
    kh_wait_for 3 toast_is "Checking for updates…"
  check "the check calls curl for lang=en" kh_wait_for 15 curl_called_for "$calls" "update.json?v=$version&lang=en"
  check "the toast 'You're up to date ($version)' follows" \
    kh_wait_for 15 toast_is "You're up to date ($version)"
  rm -f "$opened"
  open_menu && choose 4
  check "user's own rights: More apps opens https://lumwerk.example/" \
    kh_wait_for 15 opened_is "https://lumwerk.example/"
  check "user's own rights: Kestro starts the https handler itself" opened_by_kestro
  poke close
  expect_exit "close after the check"
else
  fail "user's own rights: no window"
fi

echo "menu_e2e: $failures failed"
(( failures == 0 ))
