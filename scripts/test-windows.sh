#!/usr/bin/env bash
# Builds Kestrum.dll for 64-bit and 32-bit Windows with mingw-w64 and runs both under Wine
# (private prefixes inside the build folders) with their own loaders: the 64-bit DLL always, the
# 32-bit DLL where this machine runs 32-bit code (wine32 is installed for it then). Elsewhere
# the 32-bit DLL is checked statically, and wine32 is never installed: its loader fails there,
# and Debian's `wine` with it.
# Then packs both (scripts/package-windows.sh), signed with a throwaway self-signed certificate,
# and tests the packages: SHA256SUMS and contents, the signatures (and one with a time stamp from
# a local time-stamping service), the MSI round trip, a registration-free client, a second build
# in other folders that must give the same DLL, and packagings signed, unsigned and with copied
# signatures that must give the same files twice.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix \
    g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev wine wine64 faketime wixl msitools zip \
    unzip osslsigncode openssl python3 python3-mpmath

if reason=$(bash scripts/probe-32bit.sh); then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        if [ "$(id -u)" -ne 0 ]; then
            echo "The 32-bit Wine runs need wine32. Install it with:" >&2
            echo "  sudo dpkg --add-architecture i386 && sudo apt-get update &&" \
                "sudo apt-get install -y wine32:i386" >&2
            exit 1
        fi
        dpkg --add-architecture i386
    fi
    bash scripts/ensure-packages.sh wine32:i386
    wine32=ON
    echo "=== 32-bit code runs here: the 32-bit DLL runs under Wine as well"
else
    wine32=OFF
    echo "=== 32-bit Wine runs skipped: $reason"
fi

jobs=$(nproc)
for preset in windows-x64 windows-x86; do
    echo "=== $preset build and tests"
    cmake --preset "$preset" -DKESTRUM_WARNINGS_AS_ERRORS=ON -DKESTRUM_WINE_32BIT="$wine32" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

echo "=== Windows packages, signed with a test certificate"
certificate=$(mktemp -d)
trap 'rm -rf "$certificate"' EXIT
bash tests/package/test-certificate.sh "$certificate"
env -u KESTRUM_SIGN_TIMESTAMP_URL KESTRUM_SIGN_PKCS12="$certificate/signer.p12" \
    KESTRUM_SIGN_PASSWORD="$(cat "$certificate/password")" bash scripts/package-windows.sh
package_tests=$PWD/build/windows-x64/package-tests
bash tests/package/check-package.sh build/package
bash tests/package/signatures.sh build/package "$certificate/signer.pem"
bash tests/package/timestamp.sh "$certificate"
bash tests/package/msi-roundtrip.sh "$PWD"/build/package/Kestrum-*-x64.msi \
    "$PWD/tests/com/client_test.vbs" "$package_tests"
bash tests/package/regfree-client.sh "$PWD"/build/package/Kestrum-*-windows.zip \
    "$PWD/build/windows-x64/tests/package/regfree_client.exe" "$package_tests"
bash tests/package/reproducible.sh "$certificate"
