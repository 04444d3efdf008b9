#!/usr/bin/env bash
# Makes one release of Kestro ready to upload, from a Windows build directory configured with
# its version (see the README): builds the installer around a signed Kestro.exe, signs the
# installer, checks both signatures and the installer's version, and writes update.json and a
# SHA256SUMS beside the signed installer in the output folder.
#
#   tools/release.sh [--no-timestamp] <build-dir> <certificate.p12> <https-address> <output-dir>
#
#   certificate.p12  the code-signing key with its certificate chain (PKCS#12). Its password is
#                    read from the environment variable KESTRO_SIGNING_PASSWORD, never from the
#                    command line, which every program on the machine can read, and reaches the
#                    signing tool through a pipe, never a file.
#   https-address    where the signed installer will be downloaded from (the manifest's "url").
#
# A timestamp server is required (KESTRO_TIMESTAMP_URL), so that the signatures stay valid
# after the certificate expires; --no-timestamp is for test releases only. Optional:
# KESTRO_MANIFEST_TOOL, the release tool make_update_manifest (default: the host build's
# build/host/tools/make_update_manifest). Needs osslsigncode, openssl and sha256sum.
# Exit codes: 0 done, 1 refused or failed, 2 usage.
set -euo pipefail

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

version=$(sed -nE 's/^#define KESTRO_VERSION_TEXT "(.*)"$/\1/p' "$build/generated/base/version.h" 2>/dev/null) ||
  true
[[ -n $version ]] || refuse "$build is no configured build directory"
name="Kestro-Setup-$version.exe"
[[ -f $certificate ]] || refuse "no certificate at $certificate"
[[ -v KESTRO_SIGNING_PASSWORD ]] || refuse "KESTRO_SIGNING_PASSWORD is not set"
[[ $KESTRO_NO_TIMESTAMP == 1 || -n ${KESTRO_TIMESTAMP_URL:-} ]] ||
  refuse "KESTRO_TIMESTAMP_URL is not set (--no-timestamp only for a test release)"
[[ -x $tool ]] || refuse "no release tool at $tool (build the host configuration, or set KESTRO_MANIFEST_TOOL)"
command -v osslsigncode >/dev/null || refuse "osslsigncode is not installed"
export KESTRO_SIGNING_CERTIFICATE
KESTRO_SIGNING_CERTIFICATE=$(realpath "$certificate")

mkdir -p "$output"
work=$(mktemp -d)
# The build signs the Kestro.exe it packs only for this release; a later build packs it as built.
trap 'rm -rf "$work"; cmake -DKESTRO_SIGN_TOOL= "$build" >/dev/null 2>&1 || true' EXIT

# One build step: Kestro.exe, a signed copy of it, the installer around that copy. What an
# earlier build packed goes first, so that this release's certificate signs it all.
cmake -DKESTRO_SIGN_TOOL="$repo/tools/sign.sh" "$build" >/dev/null || refuse "the build could not be configured"
rm -f "$build/installer/$name" "$build/installer/signed/Kestro.exe"
cmake --build "$build" --target installer >"$work/build.log" 2>&1 || {
  tail -n 20 "$work/build.log" >&2
  refuse "the installer could not be built"
}
signed="$work/$name"
"$repo/tools/sign.sh" "$build/installer/$name" "$signed" || refuse "signing the installer failed"

# Both signatures, checked against the certificate's own chain, and the installer's version:
# the updater refuses an installer whose version resource says another version.
printf '%s' "$KESTRO_SIGNING_PASSWORD" |
  openssl pkcs12 -in "$KESTRO_SIGNING_CERTIFICATE" -nokeys -passin stdin -out "$work/chain.pem" 2>/dev/null ||
  refuse "the certificate chain could not be read"
for file in "$build/installer/signed/Kestro.exe" "$signed"; do
  osslsigncode verify -in "$file" -CAfile "$work/chain.pem" >"$work/verify.log" 2>&1 ||
    refuse "the signature of $(basename "$file") does not verify"
done
file_version=$(strings -e l "$signed" | grep -A1 -x FileVersion | sed -n 2p | sed -E "s/[[:space:]]+$//")
[[ $file_version == "$version" || $file_version == "$version.0" ]] ||
  refuse "the installer's version resource says '$file_version', not $version"

"$tool" "$signed" "$version" "$address" "$work/update.json" || refuse "the manifest was refused"
mv -f "$signed" "$output/$name"
mv -f "$work/update.json" "$output/update.json"
( cd "$output" && sha256sum "$name" update.json >SHA256SUMS )
echo "release: $output/$name, $output/update.json and $output/SHA256SUMS for Kestro $version"
