#!/usr/bin/env bash
# Signs one file with the release's code-signing certificate, timestamped, for the program name
# its caller gives: "Kestro" for Kestro.exe, "Kestro Setup" for the installer (the name Kestro's
# updater requires of an installer's signature, so the signed Kestro.exe is never taken for one):
#
#   printf '%s' "$password" | tools/sign.sh <certificate.p12> <program name> <in> <out>
#
# The certificate's password comes on standard input and goes on to osslsigncode through that
# same pipe: never a file, a command line or an environment variable. The timestamp server is
# KESTRO_TIMESTAMP_URL, or KESTRO_NO_TIMESTAMP=1 for a test release, which stops verifying when
# the certificate expires.
set -euo pipefail
(( $# == 4 )) || { echo "usage: printf '%s' \"\$password\" | $0 <certificate.p12> <program name> <in> <out>" >&2; exit 2; }
[[ -n $2 ]] || { echo "$0: the program name is empty" >&2; exit 2; }
timestamp=()
if [[ ${KESTRO_NO_TIMESTAMP:-} != 1 ]]; then
  : "${KESTRO_TIMESTAMP_URL:?a timestamp server is required (or KESTRO_NO_TIMESTAMP=1)}"
  timestamp=(-ts "$KESTRO_TIMESTAMP_URL")
fi
rm -f "$4"
osslsigncode sign -pkcs12 "$1" -readpass - -h sha256 -n "$2" -i https://lumwerk.example/ \
  "${timestamp[@]}" -in "$3" -out "$4" >/dev/null
