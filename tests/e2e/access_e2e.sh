#!/usr/bin/env bash
# End-to-end checks of keyboard and screen-reader access under Wine, in a fresh copy of the test
# prefix: another process walks the window's UI Automation tree (names and control types
# against the --report text), Tab moves a visible focus to the third row of the Summary card,
# Enter copies that row and shows the toast, which the tree then carries as its live region;
# a mouse click hides the focus rectangle, Shift+Tab and Space use it again. Where the focus
# is comes from the tree; whether its rectangle is drawn, from pictures of the same window
# without it.
# Every check prints PASS or FAIL; the script exits non-zero when any check failed.
#
# usage: access_e2e.sh <Kestro.exe> <window_poke.exe> <uia_walk.exe> <source-dir> <build-dir>
set -uo pipefail

# shellcheck source=wine_script.sh
source "$(dirname "$0")/wine_script.sh" exe poke_exe walk_exe repo build -- "$@"

work="$build/tests/e2e/access_e2e"
rm -rf "$work"

e2e_fresh_prefix "$work"

# shellcheck source=kestro_window.sh
source "$repo/tests/e2e/kestro_window.sh"

# The tree as uia_walk prints it: depth, automation id, control type, focusable, focused, name
# (tab-separated). The plain-text report rebuilt from a walk: the first text under the window
# is the title, each group a card ("[heading]") and each button inside a group a row.
as_report() {
  awk -F'\t' '
    $1 == 1 && $3 == 50020 && !title { print $6; title = 1; next }
    $1 == 1 && $3 == 50026 { printf "\n[%s]\n", $6; next }
    $1 == 2 && $3 == 50000 { print $6 }' "$1"
}

# --- The report the window must show -------------------------------------------------------
expected="$work/report.txt"
kh_wine 180 "$exe" --report </dev/null >"$expected" 2>/dev/null
check "--report gave a report to compare with" test -s "$expected"
# The report without its footer (an empty line and the product line).
head -n -2 "$expected" >"$work/report-body.txt"
summary_row() {  # <n>: the n-th row of the first card (Summary)
  awk '/^\[/ { cards++; next } cards == 1 && NF { print }' "$expected" | sed -n "$1p"
}
third_row=$(summary_row 3)
second_row=$(summary_row 2)
check "the Summary card has three rows or more ('$third_row')" test -n "$third_row"

if ! start_app; then
  fail "window titled Kestro did not appear"
  echo "access_e2e: $failures failed"
  exit 1
fi
pointer_away
check "report arrives (Copy all in the tree)" kh_wait_for 120 loaded

# --- Screen reader: the whole tree from another process ---------------------------------------
tree="$work/tree.txt"
rc=0
uia >"$tree" || rc=$?
check "uia_walk walked the whole tree (exit code $rc)" test "$rc" -eq 0
check "the root is the Kestro window" test "$(head -n1 "$tree")" == $'0\twindow\t50032\t0\t0\tKestro'
buttons=$(awk -F'\t' '$1 == 1 && $3 == 50000 { printf "%s|", $6 }' "$tree")
check "toolbar buttons left to right: Copy all, Refresh, Menu (got $buttons)" \
  test "$buttons" == "Copy all|Refresh|Menu|"
as_report "$tree" >"$work/tree-as-report.txt"
check "cards (groups) and rows (buttons named as copied) equal the --report text" \
  test "$(normalise <"$work/tree-as-report.txt")" == "$(normalise <"$work/report-body.txt")"
check "buttons and rows take the keyboard focus, nothing else" \
  test "$(awk -F'\t' '($3 == 50000) != ($4 == 1)' "$tree" | wc -l)" -eq 0
gauges_named_by_row() {
  awk -F'\t' '
    $1 == 2 { row = $6 }
    $1 == 3 && $3 == 50012 {
      gauges++
      # A label that ends with its own colon ("Drive C:") is followed by a space alone.
      if (index(row, $6 ($6 ~ /:$/ ? " " : ": ")) != 1) bad++
    }
    END { exit !(gauges > 0 && bad == 0) }' "$tree"
}
check "every gauge is a progress bar inside its row, named by the row's label" gauges_named_by_row
check "the subtitle is a text under the title" \
  test "$(awk -F'\t' '$1 == 1 && $3 == 50020' "$tree" | wc -l)" -ge 2

# --- Keyboard: Tab to the third Summary row, Enter ------------------------------------------
# The focus as the tree tells it (rows are "row-<card>-<row>"); its rectangle as the difference
# to a picture of the window without it.
plain="$work/no-focus-rectangle.png"
ring_on() { focus_is "$1" && differs_from "$plain"; }  # <automation id>
click_at toolbar  # gives the window the focus, no target
pointer_away
check "no focus (and so no focus rectangle) before a key was pressed" focus_is ""
shot "$plain"
button_count=$(awk -F'\t' '$1 == 1 && $3 == 50000' "$tree" | wc -l)
for (( i = 0; i < button_count + 3; i++ )); do key Tab; done
check "Tab ×$(( button_count + 3 )): the third Summary row has the focus, and only it" \
  kh_wait_for 5 focus_is row-0-2
check "its focus rectangle is drawn" differs_from "$plain"
ringed="$work/focus-third-row.png"
shot "$ringed"
key Return
# The toast lives 2.5 s: the two checks that need it come first.
check "toast drawn after Enter" kh_wait_for 2 differs_from "$ringed"
check "the toast is the tree's last element, 'Copied: $third_row'" \
  kh_wait_for 2 toast_is "Copied: $third_row"
check "Enter copied '$third_row'" kh_wait_for 5 clipboard_is_win "$third_row"

click_at toolbar
pointer_away
check "a mouse click removes the focus rectangle (the window looks as before the keys)" \
  kh_wait_for 8 same_as "$plain"
shot "$work/focus-after-click.png"
key shift+Tab
check "Shift+Tab shows it again, one row up" kh_wait_for 5 ring_on row-0-1
key space
check "Space copies '$second_row'" kh_wait_for 5 clipboard_is_win "$second_row"

# --- Closing ------------------------------------------------------------------------------
poke close
expect_exit "close"

echo "access_e2e: screenshots in $work"
echo "access_e2e: $failures failed"
(( failures == 0 ))
