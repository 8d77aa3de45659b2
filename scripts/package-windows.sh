#!/usr/bin/env bash
# Builds both Windows DLLs and packs them into build/package/:
#   Kestrum-<version>-windows.zip  x64/ and x86/ (Kestrum.dll and Kestrum.manifest each),
#                                  vba/ (KestrumMath.bas and .vbs), examples/ and INSTALL.txt
#   Kestrum-<version>-x64.msi      for 64-bit Windows: both DLLs, both registry views
#   Kestrum-<version>-x86.msi      for 32-bit Windows: the 32-bit DLL
#   Kestrum-<version>-symbols.zip  x64/ and x86/, each with Kestrum.dll.debug: the debug
#                                  information of that DLL, which names it in its .gnu_debuglink
#   SHA256SUMS                     the SHA-256 of each of the four
# Given a code-signing certificate (KESTRUM_SIGN_PKCS12, the path of a .pfx or .p12 file, and
# KESTRUM_SIGN_PASSWORD; see packaging/windows/sign.sh), it signs both DLLs before they are packed
# and both MSIs. Everything is dated by the build's fixed clock, the one the DLL build uses:
# SOURCE_DATE_EPOCH when set, else 2026-01-01 00:00:00 UTC. So one commit gives the same files,
# signed with one certificate or unsigned, unless a time-stamping service counter-signs them.
# To check a signed release against the sources, KESTRUM_SIGNATURES_FROM names the folder of its
# zip and MSIs instead: each file gets the signature of its released twin
# (packaging/windows/copy-signature.sh), and the released SHA256SUMS must then verify here.
set -euo pipefail
for variable in KESTRUM_SIGN_PKCS12 KESTRUM_SIGNATURES_FROM; do
    if [ -n "${!variable:-}" ]; then
        export "$variable=$(realpath "${!variable}")" # the script changes folder
    fi
done
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix \
    g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev faketime wixl msitools osslsigncode zip
for preset in windows-x64 windows-x86; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target kestrum_com -j "$(nproc)" >/dev/null
done

signing=none
if [ -n "${KESTRUM_SIGN_PKCS12:-}" ]; then
    if [ ! -f "$KESTRUM_SIGN_PKCS12" ] || [ -z "${KESTRUM_SIGN_PASSWORD+set}" ]; then
        echo "Signing needs the file KESTRUM_SIGN_PKCS12 names and KESTRUM_SIGN_PASSWORD" >&2
        exit 1
    fi
    signing=certificate
elif [ -n "${KESTRUM_SIGNATURES_FROM:-}" ]; then
    echo "The signatures of the release in $KESTRUM_SIGNATURES_FROM go on the rebuilt files"
    signing=release
else
    echo "No certificate in KESTRUM_SIGN_PKCS12: the DLLs and MSIs are not signed"
fi
clock=${SOURCE_DATE_EPOCH:-1767225600} # else 2026-01-01 00:00:00 UTC, as src/com/CMakeLists.txt
fixed_clock=(env TZ=UTC faketime -f "$(date -ud "@$clock" '+%Y-%m-%d %H:%M:%S')")

version=$(sed -n 's/^project(Kestrum VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build/package
staging=build/package-staging/Kestrum-$version-windows
released=build/package-release
symbols=build/package-staging/Kestrum-$version-symbols
rm -rf "$out" build/package-staging "$released"
mkdir -p "$out" "$staging/x64" "$staging/x86" "$staging/examples" "$symbols/x64" "$symbols/x86"
if [ "$signing" = release ]; then
    mkdir -p "$released"
    cp "$KESTRUM_SIGNATURES_FROM/Kestrum-$version-"{x64,x86}.msi "$released/"
    (cd "$released" && cmake -E tar xf "$KESTRUM_SIGNATURES_FROM/Kestrum-$version-windows.zip")
fi

# sign FILE RELEASED: signs FILE with the certificate, or gives it the signature of RELEASED.
sign() {
    case $signing in
        certificate) bash packaging/windows/sign.sh "$clock" "$1" ;;
        release) bash packaging/windows/copy-signature.sh "$2" "$1" ;;
    esac
}

for bits in x64 x86; do
    cp "build/windows-$bits/src/com/Kestrum.dll" "build/windows-$bits/src/com/Kestrum.manifest" \
        "$staging/$bits/"
    sign "$staging/$bits/Kestrum.dll" "$released/Kestrum-$version-windows/$bits/Kestrum.dll"
    cp "build/windows-$bits/src/com/Kestrum.dll.debug" "$symbols/$bits/"
done
cp examples/demo.vbs examples/sample.js examples/client.cpp examples/application.manifest \
    examples/kestrum_math.vbs src/com/kestrum.idl "$staging/examples/"
bash src/vba/build-module.sh src/vba/KestrumMath.bas "$staging/vba"
# Windows users open the note in Notepad: CRLF line ends.
sed 's/$/\r/' src/com/INSTALL.txt >"$staging/INSTALL.txt"
chmod -R u=rwX,go=rX build/package-staging

# The same files give the same zip: a fixed order and time, no owner or access times (-X).
for content in windows symbols; do
    zip=$PWD/$out/Kestrum-$version-$content.zip
    (cd build/package-staging &&
        find "Kestrum-$version-$content" -type f -exec touch -d "@$clock" {} + &&
        find "Kestrum-$version-$content" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$zip" -@)
done

wxs=packaging/windows/kestrum.wxs
# Each version for each platform is a product of its own, as a major upgrade needs.
product_code() {
    printf 'Kestrum %s %s' "$version" "$1" | bash packaging/windows/derived-uuid.sh
}
"${fixed_clock[@]}" wixl -a x64 -D Version="$version" -D ProductCode="$(product_code x64)" \
    -D Dll64="$staging/x64/Kestrum.dll" -D Dll32="$staging/x86/Kestrum.dll" -D Vba="$staging/vba" \
    -o "$out/Kestrum-$version-x64.msi" "$wxs"
"${fixed_clock[@]}" wixl -a x86 -D Version="$version" -D ProductCode="$(product_code x86)" \
    -D Dll32="$staging/x86/Kestrum.dll" -D Vba="$staging/vba" \
    -o "$out/Kestrum-$version-x86.msi" "$wxs"
for platform in x64 x86; do
    bash packaging/windows/set-package-code.sh "$out/Kestrum-$version-$platform.msi"
    sign "$out/Kestrum-$version-$platform.msi" "$released/Kestrum-$version-$platform.msi"
done

(cd "$out" && sha256sum "Kestrum-$version-windows.zip" "Kestrum-$version-x64.msi" \
    "Kestrum-$version-x86.msi" "Kestrum-$version-symbols.zip" >SHA256SUMS)
ls -1 "$out"/*
