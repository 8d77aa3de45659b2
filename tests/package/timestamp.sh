#!/usr/bin/env bash
# Signing with a time-stamping service (KESTRUM_SIGN_TIMESTAMP_URL): packaging/windows/sign.sh
# signs a copy of the windows-x64 build's Kestrum.dll with the test certificate of
# CERTIFICATE_DIR and asks a local RFC 3161 service (rfc3161_responder.py, with a throwaway
# time-stamping certificate) for a time stamp. The signature must verify with its time stamp, and
# keep the build's fixed clock as its own signing time.
#   timestamp.sh CERTIFICATE_DIR
set -euo pipefail
certificate=$(cd "$1" && pwd)
cd "$(dirname "$0")/../.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$scratch/tsa.key" -out "$scratch/tsa.pem" \
    -days 7 -subj "/CN=Kestrum test time stamps" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=critical,timeStamping" 2>/dev/null
echo 01 >"$scratch/serial"
cat >"$scratch/tsa.cnf" <<EOF_CONFIG
[ tsa ]
default_tsa = test_tsa
[ test_tsa ]
serial = $scratch/serial
signer_cert = $scratch/tsa.pem
signer_key = $scratch/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
EOF_CONFIG
python3 tests/package/rfc3161_responder.py "$scratch/tsa.cnf" "$scratch/port" &
responder=$!
trap 'kill "$responder" 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do
    [ -s "$scratch/port" ] && break
    sleep 0.1
done
[ -s "$scratch/port" ] || { echo "FAILED: the time-stamping service did not start"; exit 1; }

cp build/windows-x64/src/com/Kestrum.dll "$scratch/Kestrum.dll"
KESTRUM_SIGN_PKCS12=$certificate/signer.p12 KESTRUM_SIGN_PASSWORD=$(cat "$certificate/password") \
    KESTRUM_SIGN_TIMESTAMP_URL=http://127.0.0.1:$(cat "$scratch/port")/ \
    bash packaging/windows/sign.sh "${SOURCE_DATE_EPOCH:-1767225600}" "$scratch/Kestrum.dll"

failures=0
if ! output=$(osslsigncode verify -CAfile "$certificate/signer.pem" \
    -TSA-CAfile "$scratch/tsa.pem" -in "$scratch/Kestrum.dll" 2>&1); then
    echo "FAILED: the time-stamped DLL does not verify"
    failures=1
fi
signing_time=$(date -ud "@${SOURCE_DATE_EPOCH:-1767225600}" '+%b %e %H:%M:%S %Y GMT')
for line in "Timestamp Server Signature verification: ok" "Signing time: $signing_time"; do
    grep -q "$line" <<<"$output" || { echo "FAILED: no '$line'"; failures=1; }
done
[ "$failures" -eq 0 ] && echo "time stamp: the time-stamped signature verifies"
exit "$failures"
