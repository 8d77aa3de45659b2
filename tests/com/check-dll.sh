#!/usr/bin/env bash
# Static checks of a built Kestrum.dll, without running it: exactly the four exports with
# ordinals 1 to 4, imports from system DLLs only, and the three resources.
#   check-dll.sh OBJDUMP DLL
set -euo pipefail
objdump=$1
dll=$2
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

[ "$failures" -eq 0 ] && echo "$(basename "$dll"): exports, imports and resources as expected"
exit "$failures"
