#!/usr/bin/env bash
# Builds Kestrum.dll for 64-bit and 32-bit Windows with mingw-w64, runs the 64-bit DLL's tests
# under Wine (private prefixes inside the build folder) and checks the 32-bit DLL statically:
# these machines run no 32-bit code. Then packs both (scripts/package-windows.sh) and tests the
# packages: SHA256SUMS and contents, the MSI round trip, a registration-free client, and a second
# build in other folders that must give the same DLL.
set -euo pipefail
cd "$(dirname "$0")/.."

# Never wine32: it breaks wine for 64-bit programs as well.
bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix \
    g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev wine wine64 faketime wixl msitools zip \
    unzip

jobs=$(nproc)
for preset in windows-x64 windows-x86; do
    echo "=== $preset build and tests"
    cmake --preset "$preset" -DKESTRUM_WARNINGS_AS_ERRORS=ON >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

echo "=== Windows packages"
bash scripts/package-windows.sh
package_tests=$PWD/build/windows-x64/package-tests
bash tests/package/check-package.sh build/package
bash tests/package/msi-roundtrip.sh "$PWD"/build/package/Kestrum-*-x64.msi \
    "$PWD/tests/com/client_test.vbs" "$package_tests"
bash tests/package/regfree-client.sh "$PWD"/build/package/Kestrum-*-windows.zip \
    "$PWD/build/windows-x64/tests/package/regfree_client.exe" "$package_tests"
bash tests/package/reproducible.sh
