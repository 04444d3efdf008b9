#!/usr/bin/env bash
# Makes the signed, unsigned and altered installers the updater's tests verify, from one
# unsigned program (whose product is Kestro) and one of another product of the maker's, with
# certificates made here and now (nothing is kept between runs). Signed for the program
# "Kestro Setup" (an installer's program name) unless said otherwise:
#   norvale.exe        signed by "Norvale Tech Co., Ltd." (leaf of a test CA)
#   norvale-self.exe   signed by a self-signed "Norvale Tech Co., Ltd." certificate
#   other.exe          signed by "Other Company Ltd."
#   case.exe           signed by "Norvale Tech Co., LTD." (letter case differs)
#   space.exe          signed by "Norvale Tech Co., Ltd. " (trailing space)
#   other-program.exe  signed by the maker for the program "Lumwerk Notes"
#   kestro-exe.exe     signed by the maker for the program "Kestro", as Kestro.exe itself is
#   other-product.exe  the other product's program, signed by the maker for "Kestro Setup"
#   unsigned.exe       the program as it was built
#   altered.exe        norvale.exe with one byte changed after signing
#
# usage: make_signed_installers.sh <program.exe> <other-product.exe> <output-dir>
set -euo pipefail
(( $# == 3 )) || { echo "usage: $0 <program.exe> <other-product.exe> <output-dir>" >&2; exit 2; }
program=$(realpath "$1")
other_product=$(realpath "$2")
out=$3
mkdir -p "$out"
out=$(realpath "$out")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 30 \
  -subj "/CN=Kestro Test Root" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl genrsa -out leaf.key 2048 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >leaf.ext

sign() {  # <name> <common-name> [self|-] [<program name> [<program.exe>]]
  local name=$1 cn=$2 description=${4:-Kestro Setup} input=${5:-$program}
  if [[ ${3:-} == self ]]; then
    openssl req -x509 -new -key leaf.key -out "$name.crt" -days 30 -subj "/CN=$cn" \
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
    cp "$name.crt" "$name.chain.pem"
  else
    openssl req -new -key leaf.key -out "$name.csr" -subj "/CN=$cn" 2>/dev/null
    openssl x509 -req -in "$name.csr" -CA ca.crt -CAkey ca.key -CAcreateserial -out "$name.crt" \
      -days 30 -extfile leaf.ext 2>/dev/null
    cat "$name.crt" ca.crt >"$name.chain.pem"
  fi
  rm -f "$out/$name.exe"
  osslsigncode sign -certs "$name.chain.pem" -key leaf.key -h sha256 -n "$description" \
    -in "$input" -out "$out/$name.exe" >/dev/null
}

sign norvale "Norvale Tech Co., Ltd."
sign norvale-self "Norvale Tech Co., Ltd." self
sign other "Other Company Ltd."
sign case "Norvale Tech Co., LTD."
sign space "Norvale Tech Co., Ltd. "
sign other-program "Norvale Tech Co., Ltd." - "Lumwerk Notes"
sign kestro-exe "Norvale Tech Co., Ltd." - Kestro
sign other-product "Norvale Tech Co., Ltd." - "Kestro Setup" "$other_product"
cp "$program" "$out/unsigned.exe"
cp "$out/norvale.exe" "$out/altered.exe"
# One byte inside the first section, which the signature's digest covers.
offset=$(( 0x600 ))
byte=$(od -An -tu1 -j "$offset" -N1 "$out/altered.exe" | tr -d ' ')
printf "\\$(printf '%03o' $(( (byte + 1) % 256 )))" |
  dd of="$out/altered.exe" bs=1 seek="$offset" conv=notrunc status=none
cmp -s "$out/norvale.exe" "$out/altered.exe" && { echo "altered.exe is unchanged" >&2; exit 1; }
# The subjects as signed, for whoever wants to look.
for name in norvale norvale-self other case space other-program kestro-exe other-product; do
  printf '%s\t%s\n' "$name" "$(openssl x509 -in "$name.crt" -noout -subject -nameopt utf8,sep_comma_plus_space)"
done >"$out/subjects.txt"
