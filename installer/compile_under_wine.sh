#!/usr/bin/env bash
# Compiles installer/kestro.iss with Inno Setup's compiler under Wine (Linux builds; on Windows
# the build runs an installed ISCC.exe itself).
#
#   compile_under_wine.sh <build-dir> <script.iss> [NAME=VALUE]...
#
# The compiler comes from the npm package innosetup-compiler exactly as installer/package-lock.json
# pins it (version and sha512 integrity): `npm ci` installs it once into
# <build-dir>/installer/inno-setup (never globally), without running any of its scripts, and
# fails on a package that is not the locked one. It runs in the build's Wine prefix. Every
# NAME=VALUE becomes /DNAME=VALUE; a value that is an absolute path is handed over as Wine sees
# it (Z:/...).
set -euo pipefail
(( $# >= 2 )) || { echo "usage: $0 <build-dir> <script.iss> [NAME=VALUE]..." >&2; exit 2; }
build=$(realpath "$1")
script=$(realpath "$2")
shift 2
repo=$(realpath "$(dirname "${BASH_SOURCE[0]}")/..")

tools="$build/installer/inno-setup"
iscc="$tools/node_modules/innosetup-compiler/bin/ISCC.exe"
lock="$repo/installer/package-lock.json"
# What a finished install was made from: another lock file installs again.
installed="$tools/installed-package-lock.json"
if ! cmp -s "$lock" "$installed" || [[ ! -f $iscc ]]; then
  echo "== Installing the locked innosetup-compiler into $tools"
  rm -rf "$tools"
  mkdir -p "$tools"
  cp "$repo/installer/package.json" "$lock" "$tools/"
  ( cd "$tools" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error ) >&2
  cp "$lock" "$installed"
fi

wine_path() { if [[ $1 == /* ]]; then echo "Z:$1"; else echo "$1"; fi; }
defines=()
for definition in "$@"; do
  defines+=("/D${definition%%=*}=$(wine_path "${definition#*=}")")
done

# shellcheck source=../tests/wine/harness.sh
source "$repo/tests/wine/harness.sh"
trap kh_cleanup EXIT
kh_prefix_ready "$build/wineprefix"
# The script goes as a Windows path: one starting with "/" would be read as an option.
kh_wine 600 "$iscc" /Q "${defines[@]}" "$(wine_path "$script")" </dev/null
