#!/usr/bin/env bash
# Figures for verifying a 256 MiB installer, run by hand (not a test):
#  1. the digest as a download takes it (the file held once, its size, SHA-256 read in pieces
#     and hashed with CNG) under Wine, against sha256sum of the same file on the host, best of
#     5 each, and how far that program's working set rises;
#  2. how far Kestro.exe's resident memory rises above its idle window while it verifies a
#     256 MiB download: an unsigned file with the right size and digest, so the check reads
#     all of it and stops at the signature.
#
# usage: verify_figure.sh <build-dir>   (a Windows build: verify_figure.exe, Kestro.exe, ...)
set -uo pipefail
build=$(realpath "$1")
repo=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../..")
exe="$build/Kestro.exe"
poke_exe="$build/tests/e2e/window_poke.exe"
work="$build/tests/updater/verify_figure"
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
source "$repo/tests/e2e/checks.sh"
rm -rf "$work"
mkdir -p "$work"
prefix="$work/prefix"
kh_fresh_prefix "$(kh_template_for "$build/wineprefix")" "$prefix" && kh_prefix_ready "$prefix" || exit 1

file="$work/installer-256MiB.exe"
head -c $(( 256 << 20 )) /dev/urandom >"$file"

# --- 1. The digest ---------------------------------------------------------------------------
best_host=999
for _ in 1 2 3 4 5; do
  start=$EPOCHREALTIME
  host_digest=$(sha256sum "$file" | cut -c1-64)
  best_host=$(awk -v a="$start" -v b="$EPOCHREALTIME" -v best="$best_host" 'BEGIN { t = b - a; print (t < best ? t : best) }')
done
read -r bytes seconds rise digest < <(kh_wine 600 "$build/tests/updater/verify_figure.exe" "Z:$file" 5 | tr -d '\r')
[[ $digest == "$host_digest" ]] || { echo "digests differ: $digest vs $host_digest"; exit 1; }
awk -v host="$best_host" -v s="$seconds" -v rise="$rise" 'BEGIN {
  printf "sha256sum on the host:               %.3f s\n", host
  printf "held file, size, digest under Wine:  %.3f s (ratio %.2f)\n", s, s / host
  printf "its working set rise:                %.1f MiB\n", rise / 1048576
}'

# --- 2. The window while it verifies ---------------------------------------------------------
drive_c="$prefix/drive_c"
cp --remove-destination "$build/tests/updater/curl.exe" "$drive_c/windows/system32/curl.exe"
www="$drive_c/kestro-test/www/lumwerk.example"
mkdir -p "$www/Kestro" "$www/dl"
cp "$file" "$www/dl/Kestro-Setup.exe"
kh_wine 60 "$build/tools/make_update_manifest.exe" "Z:$file" 1.2.0 https://lumwerk.example/dl/Kestro-Setup.exe \
  "Z:$www/Kestro/update.json" </dev/null >/dev/null 2>&1 || { echo "no manifest"; exit 1; }
source "$repo/tests/e2e/kestro_window.sh"
kestro_pid() { pgrep -x Kestro.exe | head -n1; }
status_kib() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
dialog_wid() { xdotool search --onlyvisible --name '^Kestro$' 2>/dev/null | grep -vx "$wid" | head -n1; }
dialog_open() { [[ -n $(dialog_wid) ]]; }
verified() { [[ -f $drive_c/kestro-test/curl-exits.log ]] && (( $(wc -l <"$drive_c/kestro-test/curl-exits.log") >= 2 )) &&
             [[ -z $(find "$drive_c/users" -name 'Kestro-Setup-*.exe' 2>/dev/null) ]]; }
start_app || { echo "no window"; exit 1; }
kh_wait_for 120 loaded
kh_wait_for 20 dialog_open || { echo "no question"; exit 1; }
pid=$(kestro_pid)
idle=$(status_kib "$pid" VmRSS)
echo 5 >"/proc/$pid/clear_refs"  # the peak starts again from here
xdotool key --window "$(dialog_wid)" Return
kh_wait_for 300 verified || { echo "the download was not verified in time"; exit 1; }
peak=$(status_kib "$pid" VmHWM)
awk -v idle="$idle" -v peak="$peak" 'BEGIN {
  printf "Kestro.exe idle:                     %.1f MiB resident\n", idle / 1024
  printf "its peak while verifying 256 MiB:    %.1f MiB (%.1f MiB above idle)\n", peak / 1024, (peak - idle) / 1024
}'
poke close >/dev/null
kh_wait_for 20 app_gone
