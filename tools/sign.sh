#!/usr/bin/env bash
# Signs one file with the release's code-signing certificate, timestamped:
#
#   tools/sign.sh <in> <out>
#
# From the environment (tools/release.sh sets them): KESTRO_SIGNING_CERTIFICATE, the PKCS#12
# file; KESTRO_SIGNING_PASSWORD, its password, which reaches osslsigncode through a pipe and
# never a file or a command line; KESTRO_TIMESTAMP_URL, the timestamp server, or
# KESTRO_NO_TIMESTAMP=1 for a test release that stops verifying when the certificate expires.
set -euo pipefail
(( $# == 2 )) || { echo "usage: $0 <in> <out>" >&2; exit 2; }
: "${KESTRO_SIGNING_CERTIFICATE:?}" "${KESTRO_SIGNING_PASSWORD?}"
timestamp=()
if [[ ${KESTRO_NO_TIMESTAMP:-} != 1 ]]; then
  : "${KESTRO_TIMESTAMP_URL:?a timestamp server is required (or KESTRO_NO_TIMESTAMP=1)}"
  timestamp=(-ts "$KESTRO_TIMESTAMP_URL")
fi
rm -f "$2"
printf '%s' "$KESTRO_SIGNING_PASSWORD" |
  osslsigncode sign -pkcs12 "$KESTRO_SIGNING_CERTIFICATE" -readpass - -h sha256 -n Kestro \
    -i https://lumwerk.example/ "${timestamp[@]}" -in "$1" -out "$2" >/dev/null
