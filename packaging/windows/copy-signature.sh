#!/usr/bin/env bash
# Gives FILE, a DLL or MSI built without a certificate, the Authenticode signature of RELEASED,
# the same file as released (scripts/package-windows.sh with KESTRUM_SIGNATURES_FROM). When both
# were built from the same sources, FILE then equals RELEASED byte for byte: the way to check a
# signed release against its sources without the private key.
#   copy-signature.sh RELEASED FILE
set -euo pipefail
released=$1
file=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch" "$file.signed"' EXIT
signature=$scratch/signature
osslsigncode extract-signature -in "$released" -out "$signature" >/dev/null
rm -f "$file.signed"
# osslsigncode then verifies the result, and fails where it does not trust the signer's root: not
# the question here. Only a digest that does not match the rebuilt file counts.
report=$(osslsigncode attach-signature -sigin "$signature" -in "$file" -out "$file.signed" 2>&1) ||
    true
if [ ! -s "$file.signed" ] ||
    grep -q -E '(message digest|DigitalSignature) *:.*MISMATCH' <<<"$report"; then
    echo "The signature of $released does not fit the rebuilt $file: their contents differ" >&2
    exit 1
fi
mv "$file.signed" "$file"
