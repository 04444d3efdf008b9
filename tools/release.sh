#!/usr/bin/env bash
# Makes one release of Kestro ready to upload: signs the installer, writes its update.json and
# a SHA256SUMS, all three in one output folder.
#
#   tools/release.sh <Kestro-Setup-<version>.exe> <certificate.p12> <version> <https-address> <output-dir>
#
#   certificate.p12  the code-signing key with its certificate chain (PKCS#12). Its password is
#                    read from the environment variable KESTRO_SIGNING_PASSWORD, never from the
#                    command line, which every program on the machine can read.
#   https-address    where the signed installer will be downloaded from (the manifest's "url").
#
# Optional: KESTRO_TIMESTAMP_URL, a timestamp server for the signature (so it stays valid after
# the certificate expires); KESTRO_MANIFEST_TOOL, the release tool make_update_manifest (default:
# build/host/tools/make_update_manifest of the host build).
# Needs osslsigncode and sha256sum. Exit codes: 0 done, 1 refused or failed, 2 usage.
set -euo pipefail

usage() {
  echo "usage: $0 <Kestro-Setup-<version>.exe> <certificate.p12> <version> <https-address> <output-dir>" >&2
  exit 2
}
refuse() {
  echo "release: $*" >&2
  exit 1
}
(( $# == 5 )) || usage
installer=$1 certificate=$2 version=$3 address=$4 output=$5
repo=$(realpath "$(dirname "${BASH_SOURCE[0]}")/..")
tool=${KESTRO_MANIFEST_TOOL:-$repo/build/host/tools/make_update_manifest}
name="Kestro-Setup-$version.exe"

[[ -f $installer ]] || refuse "no installer at $installer"
# The updater accepts an installer only when its version resource says the offered version,
# and the build names the installer after that same version.
[[ $(basename "$installer") == "$name" ]] || refuse "$installer is not the installer of $version ($name)"
[[ -f $certificate ]] || refuse "no certificate at $certificate"
[[ -v KESTRO_SIGNING_PASSWORD ]] || refuse "KESTRO_SIGNING_PASSWORD is not set"
[[ -x $tool ]] || refuse "no release tool at $tool (build the host configuration, or set KESTRO_MANIFEST_TOOL)"
command -v osslsigncode >/dev/null || refuse "osslsigncode is not installed"

mkdir -p "$output"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# osslsigncode reads the password from a file only this user can read.
password="$work/password"
( umask 077 && printf '%s' "$KESTRO_SIGNING_PASSWORD" >"$password" )
timestamp=()
[[ -n ${KESTRO_TIMESTAMP_URL:-} ]] && timestamp=(-ts "$KESTRO_TIMESTAMP_URL")

signed="$work/$name"
osslsigncode sign -pkcs12 "$certificate" -readpass "$password" -h sha256 -n Kestro \
  -i https://lumwerk.example/ "${timestamp[@]}" -in "$installer" -out "$signed" >/dev/null ||
  refuse "signing failed"
"$tool" "$signed" "$version" "$address" "$work/update.json" || refuse "the manifest was refused"

mv -f "$signed" "$output/$name"
mv -f "$work/update.json" "$output/update.json"
( cd "$output" && sha256sum "$name" update.json >SHA256SUMS )
echo "release: $output/$name, $output/update.json and $output/SHA256SUMS for Kestro $version"
