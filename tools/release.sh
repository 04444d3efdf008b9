#!/usr/bin/env bash
# Makes one release of Kestro ready to upload, from a Windows build directory configured with
# its version (see the README): builds Kestro.exe and checks its imports, signs a copy of it,
# builds the installer around that copy, signs the installer, checks both signed files, and
# writes update.json and a SHA256SUMS beside the signed installer in the output folder.
#
#   tools/release.sh [--no-timestamp] <build-dir> <certificate.p12> <https-address> <output-dir>
#
#   certificate.p12  the code-signing key with its certificate chain (PKCS#12). Its password is
#                    read from the environment variable KESTRO_SIGNING_PASSWORD, never from the
#                    command line, which every program on the machine can read.
#   https-address    where the signed installer will be downloaded from (the manifest's "url").
#
# The build never holds the signing secrets. The password leaves the environment before
# anything runs (the script starts itself again without it and keeps it in a shell variable),
# and reaches osslsigncode and openssl only through pipes, never a file or a command line; the
# certificate's path is never exported. The build steps (the compiler, npm, the installer's
# compiler under Wine) run between the signing steps, never inside them.
#
# A timestamp server is required (KESTRO_TIMESTAMP_URL), so that the signatures stay valid
# after the certificate expires; --no-timestamp is for test releases only. Optional:
# KESTRO_MANIFEST_TOOL, the release tool make_update_manifest (default: the host build's
# build/host/tools/make_update_manifest). Needs osslsigncode, openssl, python3 and sha256sum.
# Exit codes: 0 done, 1 refused or failed, 2 usage.
set -euo pipefail

# The password moves from the environment, which every child would inherit and which stays
# readable in /proc/<pid>/environ for the process's whole life, into a pipe.
if [[ -v KESTRO_SIGNING_PASSWORD ]]; then
  exec 3< <(printf '%s' "$KESTRO_SIGNING_PASSWORD")
  exec env -u KESTRO_SIGNING_PASSWORD KESTRO_RELEASE_PASSWORD_FD=3 bash "${BASH_SOURCE[0]}" "$@"
fi

usage() {
  echo "usage: $0 [--no-timestamp] <build-dir> <certificate.p12> <https-address> <output-dir>" >&2
  exit 2
}
refuse() {
  echo "release: $*" >&2
  exit 1
}
export KESTRO_NO_TIMESTAMP=0
if [[ ${1:-} == --no-timestamp ]]; then KESTRO_NO_TIMESTAMP=1; shift; fi
(( $# == 4 )) || usage
build=$1 certificate=$2 address=$3 output=$4
repo=$(realpath "$(dirname "${BASH_SOURCE[0]}")/..")
tool=${KESTRO_MANIFEST_TOOL:-$repo/build/host/tools/make_update_manifest}

[[ ${KESTRO_RELEASE_PASSWORD_FD:-} == 3 ]] || refuse "KESTRO_SIGNING_PASSWORD is not set"
password=""
IFS= read -r -d '' password <&3 || true
exec 3<&-
unset KESTRO_RELEASE_PASSWORD_FD

version=$(sed -nE 's/^#define KESTRO_VERSION_TEXT "(.*)"$/\1/p' "$build/generated/base/version.h" 2>/dev/null) ||
  true
[[ -n $version ]] || refuse "$build is no configured build directory"
name="Kestro-Setup-$version.exe"
[[ -f $certificate ]] || refuse "no certificate at $certificate"
certificate=$(realpath "$certificate")
[[ $KESTRO_NO_TIMESTAMP == 1 || -n ${KESTRO_TIMESTAMP_URL:-} ]] ||
  refuse "KESTRO_TIMESTAMP_URL is not set (--no-timestamp only for a test release)"
[[ -x $tool ]] || refuse "no release tool at $tool (build the host configuration, or set KESTRO_MANIFEST_TOOL)"
for program in osslsigncode openssl python3 sha256sum; do
  command -v "$program" >/dev/null || refuse "$program is not installed"
done
# The maker's name, as the updater requires it of a signature.
publisher=$(sed -nE 's/.*kExpectedPublisher = "(.*)";.*/\1/p' "$repo/src/app/updater/signature.h")
[[ -n $publisher ]] || refuse "no kExpectedPublisher in src/app/updater/signature.h"
# Each signed file's own program name: the installer's, as the updater requires it, and the
# product's for Kestro.exe, which the updater therefore never starts as an installer.
installer_program=$(sed -nE 's/.*kInstallerProgramName = "(.*)";.*/\1/p' "$repo/src/app/updater/signature.h")
[[ -n $installer_program ]] || refuse "no kInstallerProgramName in src/app/updater/signature.h"
product_program=$(sed -nE 's/.*kProductName = "(.*)";.*/\1/p' "$repo/src/i18n/product.h")
[[ -n $product_program && $product_program != "$installer_program" ]] ||
  refuse "no kProductName in src/i18n/product.h, or the same name as the installer's"
objdump=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$build/CMakeCache.txt")

mkdir -p "$output"
work=$(mktemp -d)
# The installer packs the signed copy only for this release; a later build packs Kestro.exe as built.
trap 'rm -rf "$work"; cmake -DKESTRO_INSTALLER_EXE= "$build" >/dev/null 2>&1 || true' EXIT

sign() {  # <program name> <in> <out>
  printf '%s' "$password" | "$repo/tools/sign.sh" "$certificate" "$1" "$2" "$3" ||
    refuse "signing $(basename "$2") failed"
}
# Chain, subject, program name, timestamp, fixed file version and ProductName of signed files.
check_signed() {  # <program name> <file>...
  local timestamp=() program=$1
  shift
  [[ $KESTRO_NO_TIMESTAMP == 1 ]] && timestamp=(--no-timestamp)
  python3 "$repo/tools/check_signed.py" --cafile "$work/chain.pem" --publisher "$publisher" \
    --program "$program" --version "$version" "${timestamp[@]}" "$@" >"$work/check.log" 2>&1 || {
    grep -v '^ok: ' "$work/check.log" >&2
    refuse "a signed file is not what Kestro's updater accepts"
  }
}
build_step() {  # <what> <cmake arguments...>
  local what=$1; shift
  cmake "$@" >"$work/build.log" 2>&1 || {
    tail -n 20 "$work/build.log" >&2
    refuse "$what failed"
  }
}
printf '%s' "$password" |
  openssl pkcs12 -in "$certificate" -nokeys -passin stdin -out "$work/chain.pem" 2>/dev/null ||
  refuse "the certificate chain could not be read"

# 1. Kestro.exe, and its imports before anything is signed.
build_step "building Kestro.exe" --build "$build" --target Kestro
bash "$repo/tests/win/check_imports.sh" "$build/Kestro.exe" "${objdump:-x86_64-w64-mingw32-objdump}" \
  >"$work/imports.log" || {
  grep '^FAIL' "$work/imports.log" >&2
  refuse "Kestro.exe loads DLLs it must not"
}
# 2. A signed copy of it, checked.
packed="$build/installer/signed/Kestro.exe"
mkdir -p "$(dirname "$packed")"
sign "$product_program" "$build/Kestro.exe" "$packed"
check_signed "$product_program" "$packed"
# 3. The installer around that copy (the compiler does not run: the target then packs only).
rm -f "$build/installer/$name"
build_step "configuring the build" -DKESTRO_INSTALLER_EXE="$packed" "$build"
build_step "building the installer" --build "$build" --target installer
# 4. The installer, signed and checked.
signed="$work/$name"
sign "$installer_program" "$build/installer/$name" "$signed"
check_signed "$installer_program" "$signed"

"$tool" "$signed" "$version" "$address" "$work/update.json" || refuse "the manifest was refused"
mv -f "$signed" "$output/$name"
mv -f "$work/update.json" "$output/update.json"
( cd "$output" && sha256sum "$name" update.json >SHA256SUMS )
echo "release: $output/$name, $output/update.json and $output/SHA256SUMS for Kestro $version"
