#!/usr/bin/env bash
# The Authenticode signatures of a package that scripts/package-windows.sh signed with the test
# certificate (tests/package/test-certificate.sh): both DLLs of the zip and both MSIs verify,
# trusting that certificate, with SHA-256, the description Kestrum and the build's fixed clock as
# signing time. A byte changed in a DLL's header or in any of its sections, or a value changed in
# an MSI's table, fails verification on the digest. Signing changed no byte of the DLLs that the
# build wrote but the PE checksum and the certificate table's entry; the rest is appended.
#   signatures.sh PACKAGE_DIR CERTIFICATE_PEM
set -euo pipefail
package=$(cd "$1" && pwd)
certificate=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

signing_time=$(date -ud "@${SOURCE_DATE_EPOCH:-1767225600}" '+%b %e %H:%M:%S %Y GMT')

verify() {
    osslsigncode verify -CAfile "$certificate" -in "$1" 2>&1
}

# u16 FILE OFFSET, u32 FILE OFFSET: little-endian unsigned numbers.
u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }

# flip_byte FILE OFFSET: inverts the bits of one byte.
flip_byte() {
    local byte
    byte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
    printf '%b' "\\x$(printf '%02x' $((byte ^ 255)))" |
        dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# tamper_offsets DLL: "name offset" lines: a byte of the PE header (its time stamp) and the
# middle byte of each section that has data in the file.
tamper_offsets() {
    local pe sections optional_size table i entry name size start
    pe=$(u32 "$1" 60)
    echo "header $((pe + 8))"
    sections=$(u16 "$1" $((pe + 6)))
    optional_size=$(u16 "$1" $((pe + 20)))
    table=$((pe + 24 + optional_size))
    for ((i = 0; i < sections; i++)); do
        entry=$((table + 40 * i))
        name=$(dd if="$1" bs=1 skip="$entry" count=8 status=none | tr -d '\0')
        size=$(u32 "$1" $((entry + 16)))
        start=$(u32 "$1" $((entry + 20)))
        [ "$size" -eq 0 ] || echo "$name $((start + size / 2))"
    done
}

# signing_fields DLL: the 0-based offsets of the bytes that signing may change within the
# unsigned file: the PE checksum and the certificate table's entry of the data directories.
signing_fields() {
    local pe directories
    pe=$(u32 "$1" 60)
    # Optional header magic: 0x10b for PE32, 0x20b for PE32+; the data directories follow.
    if [ "$(u16 "$1" $((pe + 24)))" -eq $((0x10b)) ]; then
        directories=$((pe + 120))
    else
        directories=$((pe + 136))
    fi
    seq $((pe + 88)) $((pe + 91))
    seq $((directories + 32)) $((directories + 39))
}

zip=$(ls "$package"/Kestrum-*-windows.zip)
(cd "$scratch" && cmake -E tar xf "$zip")
artifacts=("$package"/Kestrum-*-x64.msi "$package"/Kestrum-*-x86.msi)
for bits in x64 x86; do
    artifacts+=("$(ls "$scratch"/*/"$bits"/Kestrum.dll)")
done

for artifact in "${artifacts[@]}"; do
    name=$(basename "$artifact")
    [ "$name" != Kestrum.dll ] || name=$(basename "$(dirname "$artifact")")/$name
    failures_before=$failures
    if ! output=$(verify "$artifact"); then
        fail "$name does not verify: $(grep -i -E 'fail|error|mismatch' <<<"$output" | head -n 3)"
        continue
    fi
    for line in "Message digest algorithm *: SHA256" "Text description: Kestrum\$" \
        "URL description: .*kestrum" "Signing time: $signing_time" "Subject: /CN=Kestrum test"; do
        grep -q -i -E "$line" <<<"$output" || fail "$name: no '$line' in the signature"
    done
    [ "$failures" -ne "$failures_before" ] || echo "signed and verified: $name"
done

for bits in x64 x86; do
    signed=$(ls "$scratch"/*/"$bits"/Kestrum.dll)
    unsigned=$root/build/windows-$bits/src/com/Kestrum.dll
    allowed=$(signing_fields "$unsigned")
    # cmp -l: 1-based offsets of the bytes that differ within the unsigned file's length.
    changed=$(cmp -l "$unsigned" "$signed" 2>/dev/null | awk '{ print $1 - 1 }' || true)
    outside=$(comm -23 <(LC_ALL=C sort <<<"$changed" | sed '/^$/d') <(LC_ALL=C sort <<<"$allowed"))
    [ -z "$outside" ] ||
        fail "signing changed $bits/Kestrum.dll at offsets $(tr '\n' ' ' <<<"$outside")"
    [ "$(stat -c %s "$signed")" -gt "$(stat -c %s "$unsigned")" ] ||
        fail "the signed $bits/Kestrum.dll is no longer than the unsigned one"

    while read -r section offset; do
        cp "$signed" "$scratch/tampered.dll"
        flip_byte "$scratch/tampered.dll" "$offset"
        if output=$(verify "$scratch/tampered.dll"); then
            fail "$bits/Kestrum.dll verifies with a byte of $section changed (offset $offset)"
        elif ! grep -q 'Calculated message digest.*MISMATCH' <<<"$output"; then
            fail "$bits/Kestrum.dll with a byte of $section changed fails, but not on its digest"
        fi
    done < <(tamper_offsets "$signed")
done

for msi in "$package"/Kestrum-*-x64.msi "$package"/Kestrum-*-x86.msi; do
    cp "$msi" "$scratch/tampered.msi"
    msibuild "$scratch/tampered.msi" \
        -q "UPDATE \`Property\` SET \`Value\` = 'Kestrum!' WHERE \`Property\` = 'ProductName'"
    if output=$(verify "$scratch/tampered.msi"); then
        fail "$(basename "$msi") verifies with its product name changed"
    elif ! grep -q 'Calculated DigitalSignature.*MISMATCH' <<<"$output"; then
        fail "$(basename "$msi") with its product name changed fails, but not on its digest"
    fi
done

[ "$failures" -eq 0 ] && echo "signatures: 0 failed checks"
exit "$failures"
