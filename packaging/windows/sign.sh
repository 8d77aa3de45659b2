#!/usr/bin/env bash
# Signs DLLs and MSIs in place with Authenticode (osslsigncode), SHA-256, with the certificate
# and key of the PKCS#12 file KESTRUM_SIGN_PKCS12, whose password is KESTRUM_SIGN_PASSWORD.
# The signature records SIGNING_TIME (Unix seconds) as its signing time, so that one certificate
# signs the same file the same way every time (an RSA key signs deterministically). When
# KESTRUM_SIGN_TIMESTAMP_URL names an RFC 3161 time-stamping service, the signature also gets its
# counter-signature, which then differs from one run to the next. The description is Kestrum and
# the URL is KESTRUM_SIGN_URL (the project's page), by default https://kestrum.example/.
#   sign.sh SIGNING_TIME FILE...
set -euo pipefail
signing_time=$1
shift

timestamp=()
if [ -n "${KESTRUM_SIGN_TIMESTAMP_URL:-}" ]; then
    timestamp=(-ts "$KESTRUM_SIGN_TIMESTAMP_URL")
fi
for file in "$@"; do
    rm -f "$file.signed"
    # The password goes through a pipe, not the command line that other users can list.
    osslsigncode sign -pkcs12 "$KESTRUM_SIGN_PKCS12" \
        -readpass <(printf '%s' "$KESTRUM_SIGN_PASSWORD") -h sha256 -n Kestrum \
        -i "${KESTRUM_SIGN_URL:-https://kestrum.example/}" -time "$signing_time" \
        "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
done
