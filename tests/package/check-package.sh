#!/usr/bin/env bash
# Checks what scripts/package-windows.sh wrote: SHA256SUMS verifies, the zip holds each DLL with
# its manifest in the folder of its bitness and the KestrumMath module in its two forms, each DLL
# pairs with its debug file in the symbols zip (tests/com/check-dll.sh), and each MSI is built for
# its platform and installs the module beside each DLL.
#   check-package.sh PACKAGE_DIR
set -euo pipefail
forms_check=$(cd "$(dirname "$0")/../vba" && pwd)/check-module-forms.sh
dll_check=$(cd "$(dirname "$0")/../com" && pwd)/check-dll.sh
cd "$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

sha256sum -c SHA256SUMS || fail "SHA256SUMS does not verify"
for artifact in Kestrum-*-windows.zip Kestrum-*-x64.msi Kestrum-*-x86.msi Kestrum-*-symbols.zip; do
    grep -q "  $artifact\$" SHA256SUMS || fail "SHA256SUMS lacks $artifact"
done

zip=$(ls Kestrum-*-windows.zip)
top=${zip%.zip}
listing=$(unzip -Z1 "$zip" | LC_ALL=C sort)
expected=$(LC_ALL=C sort <<EOF_FILES
$top/INSTALL.txt
$top/examples/application.manifest
$top/examples/client.cpp
$top/examples/demo.vbs
$top/examples/kestrum.idl
$top/examples/kestrum_math.vbs
$top/examples/sample.js
$top/x64/Kestrum.dll
$top/x64/Kestrum.manifest
$top/x86/Kestrum.dll
$top/x86/Kestrum.manifest
$top/vba/KestrumMath.bas
$top/vba/KestrumMath.vbs
EOF_FILES
)
[ "$listing" = "$expected" ] || fail "the zip holds: $listing"
symbols=$(ls Kestrum-*-symbols.zip)
listing=$(unzip -Z1 "$symbols" | LC_ALL=C sort)
expected=$(printf '%s\n' "${symbols%.zip}/x64/Kestrum.dll.debug" "${symbols%.zip}/x86/Kestrum.dll.debug")
[ "$listing" = "$expected" ] || fail "the symbols zip holds: $listing"

# Each folder's DLL and manifest are of its bitness.
while read -r bits format architecture triplet; do
    unzip -p "$zip" "$top/$bits/Kestrum.dll" >"$scratch/dll"
    # The PE machine field: 0x8664 for x86-64, 0x14c for i386.
    offset=$(od -An -tu4 -j60 -N4 "$scratch/dll" | tr -d ' ')
    machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$scratch/dll" | tr -d ' ')
    [ "$machine" = "$format" ] || fail "$bits/Kestrum.dll is for machine $machine"
    unzip -p "$zip" "$top/$bits/Kestrum.manifest" |
        grep -q "processorArchitecture=\"$architecture\"" ||
        fail "$bits/Kestrum.manifest is not for $architecture"
    # The shipped DLL beside the debug file of the symbols zip, as a debugger would find them.
    unzip -p "$symbols" "${symbols%.zip}/$bits/Kestrum.dll.debug" >"$scratch/Kestrum.dll.debug"
    cp "$scratch/dll" "$scratch/Kestrum.dll"
    bash "$dll_check" "$triplet-objdump" "$triplet-objcopy" "$triplet-addr2line" \
        "$scratch/Kestrum.dll" || fail "$bits/Kestrum.dll and its debug file"
done <<EOF_BITS
x64 8664 amd64 x86_64-w64-mingw32
x86 014c x86 i686-w64-mingw32
EOF_BITS

for platform in x64 x86; do
    template=$(msiinfo suminfo Kestrum-*-$platform.msi | sed -n 's/^Template: //p')
    case $platform:$template in
        x64:x64\;1033 | x86:Intel\;1033) ;;
        *) fail "Kestrum-*-$platform.msi has platform $template" ;;
    esac
done
files64=$(msiinfo export Kestrum-*-x64.msi File | grep -c 'Kestrum.dll' || true)
files32=$(msiinfo export Kestrum-*-x86.msi File | grep -c 'Kestrum.dll' || true)
[ "$files64" -eq 2 ] || fail "the x64 MSI installs $files64 DLLs, not 2"
[ "$files32" -eq 1 ] || fail "the x86 MSI installs $files32 DLLs, not 1"
for platform_modules in x64:2 x86:1; do
    platform=${platform_modules%:*}
    for form in bas vbs; do
        count=$(msiinfo export Kestrum-*-"$platform".msi File | grep -c "KestrumMath\.$form" || true)
        [ "$count" -eq "${platform_modules#*:}" ] ||
            fail "the $platform MSI installs KestrumMath.$form $count times"
    done
done
unzip -q -d "$scratch" "$zip" "$top/vba/*"
bash "$forms_check" "$scratch/$top/vba/KestrumMath.bas" \
    "$scratch/$top/vba/KestrumMath.vbs" || fail "the zip's KestrumMath forms"

[ "$failures" -eq 0 ] && echo "package: 0 failed checks"
exit "$failures"
