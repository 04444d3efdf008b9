#!/usr/bin/env bash
# SHA-256 of a 64 MiB file through the updater's CNG adapter under Wine, against sha256sum on
# the host: throughput of each (best of 5) and their ratio. A figure, not a test.
#
# usage: sha256_figure.sh <sha256_figure.exe> <source-dir> <build-dir>
set -euo pipefail
figure_exe=$(realpath "$1")
repo=$(realpath "$2")
build=$(realpath "$3")
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
kh_prefix_ready "$build/wineprefix"

file="$build/tests/updater/figure-64MiB.bin"
head -c $(( 64 << 20 )) /dev/urandom >"$file"
mib=64

best_host=999
for _ in 1 2 3 4 5; do
  start=$EPOCHREALTIME
  host_digest=$(sha256sum "$file" | cut -c1-64)
  end=$EPOCHREALTIME
  best_host=$(awk -v a="$start" -v b="$end" -v best="$best_host" 'BEGIN { t = b - a; print (t < best ? t : best) }')
done
read -r bytes read_s hash_s digest < <(kh_wine 300 "$figure_exe" "Z:$file" 5 | tr -d '\r')
[[ $digest == "$host_digest" ]] || { echo "digests differ: $digest vs $host_digest"; exit 1; }
awk -v mib="$mib" -v host="$best_host" -v r="$read_s" -v h="$hash_s" 'BEGIN {
  printf "sha256sum on the host:          %7.1f MiB/s (%.3f s)\n", mib / host, host
  printf "CNG adapter under Wine, hash:   %7.1f MiB/s (%.3f s)\n", mib / h, h
  printf "held read + hash under Wine:    %7.1f MiB/s (%.3f s)\n", mib / (r + h), r + h
  printf "ratio hash / sha256sum:         %.2f\n", host / h
  printf "ratio read+hash / sha256sum:    %.2f\n", host / (r + h)
}'
rm -f "$file"
