#!/usr/bin/env bash
# Compiles installer/kestro.iss with Inno Setup's compiler under Wine (Linux builds; on Windows
# the build runs an installed ISCC.exe itself).
#
#   compile_under_wine.sh <innosetup-compiler version> <build-dir> <script.iss> [NAME=VALUE]...
#
# The compiler comes from the npm package innosetup-compiler at exactly the given version,
# installed once into <build-dir>/installer/inno-setup (never globally); it runs in the build's
# Wine prefix. Every NAME=VALUE becomes /DNAME=VALUE; a value that is an absolute path is
# handed over as Wine sees it (Z:/...).
set -euo pipefail
(( $# >= 3 )) || { echo "usage: $0 <version> <build-dir> <script.iss> [NAME=VALUE]..." >&2; exit 2; }
version=$1
build=$(realpath "$2")
script=$(realpath "$3")
shift 3
repo=$(realpath "$(dirname "${BASH_SOURCE[0]}")/..")

tools="$build/installer/inno-setup"
iscc="$tools/node_modules/innosetup-compiler/bin/ISCC.exe"
installed=$(sed -nE 's/^[[:space:]]*"version": "([^"]+)".*/\1/p' \
  "$tools/node_modules/innosetup-compiler/package.json" 2>/dev/null | head -n1 || true)
if [[ $installed != "$version" || ! -f $iscc ]]; then
  echo "== Installing innosetup-compiler@$version into $tools"
  rm -rf "$tools"
  mkdir -p "$tools"
  npm install --prefix "$tools" --no-audit --no-fund --no-save --loglevel=error \
    "innosetup-compiler@$version" >&2
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
