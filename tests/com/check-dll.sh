#!/usr/bin/env bash
# Static checks of a built Kestrum.dll, without running it: exactly the four exports with
# ordinals 1 to 4, imports from system DLLs only, the three resources, and no debug sections:
# those are in Kestrum.dll.debug beside it, which the DLL names with its CRC-32 in a
# .gnu_debuglink section, and through which binutils find the source of an export.
#   check-dll.sh OBJDUMP OBJCOPY ADDR2LINE DLL
set -euo pipefail
objdump=$1
objcopy=$2
addr2line=$3
dll=$4
dump=$("$objdump" -p "$dll")
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -o '^\s*\[ *[0-9]*\] .*' | sed 's/.*\] //')
expected=$'DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer'
[ "$exports" = "$expected" ] || fail "exports are: $exports"
grep -q 'Ordinal Base[[:space:]]*1$' <<<"$dump" || fail "ordinal base is not 1"
addresses=$(sed -n '/^Export Address Table -- Ordinal Base 1/,/^$/p' <<<"$dump" |
    grep -o '+base\[ *[0-9]*\]' | tr -d ' ' | sort -u | tr '\n' ' ')
[ "$addresses" = "+base[1] +base[2] +base[3] +base[4] " ] || fail "ordinals are: $addresses"

system_dlls='^(kernel32|advapi32|ole32|oleaut32|msvcrt|user32|ntdll)\.dll$'
while read -r imported; do
    grep -qiE "$system_dlls" <<<"$imported" || fail "imports a non-system DLL: $imported"
done < <(grep 'DLL Name:' <<<"$dump" | awk '{print $3}')

for resource in 'name: .*TYPELIB' 'name: .*_IID_ARITHM' 'Entry: ID: 0x000010,'; do
    grep -qE "$resource" <<<"$dump" || fail "resource missing: $resource"
done

! "$objdump" -h "$dll" | grep -q ' \.debug_' || fail "the DLL holds debug sections"
link_check='import sys, zlib
link = sys.stdin.buffer.read()
name, crc = link[:link.find(b"\0")].decode(), int.from_bytes(link[-4:], "little")
with open(sys.argv[1], "rb") as debug:
    actual = zlib.crc32(debug.read())
if name != "Kestrum.dll.debug" or crc != actual:
    sys.exit(f"the debug link names {name} with CRC-32 {crc:08x}; the file has {actual:08x}")'
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$objcopy" --dump-section .gnu_debuglink="$scratch/link" "$dll" "$scratch/copy" &&
    python3 -c "$link_check" "$dll.debug" <"$scratch/link" || fail "no debug link to Kestrum.dll.debug"
image_base=$(awk '$1 == "ImageBase" { print $2 }' <<<"$dump")
register_rva=$(grep -o '+base\[ *3\] [0-9a-f]*' <<<"$dump" | awk '{ print $NF }')
source=$("$addr2line" -f -e "$dll" "$(printf '0x%x' $((0x$image_base + 0x$register_rva)))" | tr '\n' ' ')
[[ $source == DllRegisterServer*" "*"src/com/registration.cpp:"* ]] ||
    fail "the debug information does not locate DllRegisterServer: $source"

[ "$failures" -eq 0 ] &&
    echo "$(basename "$dll"): exports, imports, resources and debug link as expected"
exit "$failures"
