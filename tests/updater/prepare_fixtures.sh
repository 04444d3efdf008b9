#!/usr/bin/env bash
# Lays out what the updater's Windows tests need in one folder:
#   curl.exe                       the curl stand-in (the tests put it into the system directory)
#   installer_standin.exe          the unsigned installer stand-in
#   installers/*.exe               signed, unsigned and altered copies (make_signed_installers.sh)
#
# usage: prepare_fixtures.sh <curl-standin.exe> <installer_standin.exe> <installer_standin_other.exe>
#                            <output-dir>
set -euo pipefail
(( $# == 4 )) || { echo "usage: $0 <curl-standin.exe> <installer_standin.exe> <installer_standin_other.exe> <output-dir>" >&2; exit 2; }
here=$(dirname "$(realpath "${BASH_SOURCE[0]}")")
out=$4
rm -rf "$out"
mkdir -p "$out"
cp "$1" "$out/curl.exe"
cp "$2" "$out/installer_standin.exe"
bash "$here/make_signed_installers.sh" "$2" "$3" "$out/installers"
echo "PASS: updater fixtures in $out"
