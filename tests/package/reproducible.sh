#!/usr/bin/env bash
# Two builds give the same files byte for byte:
# - the windows-x64 preset's Kestrum.dll and its debug file Kestrum.dll.debug, built in
#   build/windows-x64 and in a copy of the sources in build/reproducible (another source folder
#   and another build folder);
# - two packagings (scripts/package-windows.sh) without a certificate: the same zip and MSIs;
# - two packagings signed with the test certificate of CERTIFICATE_DIR
#   (tests/package/test-certificate.sh): the same signed DLLs, zip and MSIs;
# - a packaging without the certificate that copies the signatures of the signed one
#   (KESTRUM_SIGNATURES_FROM), as someone checking a release does: the same files again.
# The packagings reuse the DLLs of build/windows-x64 and build/windows-x86; the last one leaves
# its unsigned package in build/package.
#   reproducible.sh CERTIFICATE_DIR
set -euo pipefail
certificate=$(cd "$1" && pwd)
cd "$(dirname "$0")/../.."
first=build/windows-x64/src/com/Kestrum.dll
[ -f "$first" ] || { echo "FAILED: build the windows-x64 preset first"; exit 1; }
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

copy=build/reproducible/source
rm -rf build/reproducible
mkdir -p "$copy"
tar --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
(cd "$copy" && cmake --preset windows-x64 >/dev/null &&
    cmake --build --preset windows-x64 --target kestrum_com -j "$(nproc)" >/dev/null)
second=$copy/build/windows-x64/src/com/Kestrum.dll
for suffix in "" .debug; do
    if cmp "$first$suffix" "$second$suffix"; then
        echo "reproducible: $first$suffix and $second$suffix are identical" \
            "($(sha256sum <"$first$suffix" | cut -c1-16)...)"
    else
        fail "$first$suffix and $second$suffix differ"
    fi
done

# package_into DIR signed|unsigned|copied: packs into build/package and copies the files to DIR,
# with the DLLs unpacked from the zip beside them. A time-stamping service is never asked.
package_into() {
    local signing=(-u KESTRUM_SIGN_PKCS12 -u KESTRUM_SIGN_PASSWORD -u KESTRUM_SIGNATURES_FROM)
    case $2 in
        signed) signing+=(KESTRUM_SIGN_PKCS12="$certificate/signer.p12"
            KESTRUM_SIGN_PASSWORD="$(cat "$certificate/password")") ;;
        copied) signing+=(KESTRUM_SIGNATURES_FROM=build/reproducible/signed-1) ;;
    esac
    env -u KESTRUM_SIGN_TIMESTAMP_URL "${signing[@]}" bash scripts/package-windows.sh >/dev/null
    mkdir -p "$1"
    cp -R build/package/. "$1/"
    (cd "$1" && cmake -E tar xf Kestrum-*-windows.zip)
}

# same_files FIRST SECOND WHAT: the packagings in build/reproducible/FIRST and SECOND hold the
# same files.
same_files() {
    local failures_before=$failures files file
    files=$(cd "build/reproducible/$1" && find . -type f | LC_ALL=C sort)
    [ "$files" = "$(cd "build/reproducible/$2" && find . -type f | LC_ALL=C sort)" ] ||
        fail "$3 hold different files"
    for file in $files; do
        cmp -s "build/reproducible/$1/$file" "build/reproducible/$2/$file" ||
            fail "$3 give different ${file#./}"
    done
    grep -q '\.msi$' <<<"$files" || fail "$3: no MSI"
    [ "$failures" -ne "$failures_before" ] ||
        echo "reproducible: $3 give the same $(wc -l <<<"$files") files"
}

for signing in signed copied unsigned; do
    [ "$signing" = copied ] || package_into "build/reproducible/$signing-1" "$signing"
    package_into "build/reproducible/$signing-2" "$signing"
done
same_files signed-1 signed-2 "two signed packagings"
same_files signed-1 copied-2 "a signed packaging and one with its signatures copied"
same_files unsigned-1 unsigned-2 "two unsigned packagings"
rm -rf build/reproducible
[ "$failures" -eq 0 ] && echo "reproducible: 0 failed checks"
exit "$failures"
