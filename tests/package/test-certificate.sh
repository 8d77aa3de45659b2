#!/usr/bin/env bash
# Makes a throwaway self-signed code-signing certificate for the package tests in DIR:
#   signer.p12     its RSA key and certificate, for KESTRUM_SIGN_PKCS12
#   password       the password of signer.p12, for KESTRUM_SIGN_PASSWORD
#   signer.pem     the certificate alone, for the verifier to trust
# The key is RSA because an RSA signature is the same each time (an ECDSA one is not), which the
# reproducibility test needs.
#   test-certificate.sh DIR
set -euo pipefail
cd "$1"
printf 'kestrum-test' >password
openssl req -x509 -newkey rsa:2048 -nodes -keyout signer.key -out signer.pem -days 7 \
    -subj "/CN=Kestrum test signer" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -out signer.p12 -passout file:password
rm signer.key
