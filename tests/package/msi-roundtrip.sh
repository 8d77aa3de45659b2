#!/usr/bin/env bash
# The 64-bit Windows MSI under Wine, in a new 64-bit prefix: a silent install puts both DLLs in
# place, the KestrumMath module beside each, and registers both registry views; 64-bit cscript (and, where 32-bit code runs, the
# 32-bit cscript of syswow64) runs a VBScript client; a silent uninstall leaves no file and no key
# of ours. A newer version then replaces it in place, and it does not replace the newer one.
# Last, regsvr32 registers the installed 64-bit DLL at another path, and the registry it writes
# must be what the MSI wrote, once the DLL's folder is named alike.
#   msi-roundtrip.sh MSI VBSCRIPT_CLIENT WORK_DIR
set -euo pipefail
msi=$1
client=$2
work=$3
# shellcheck source=tests/package/wine64.sh
source "$(dirname "$0")/wine64.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)
probe=$root/scripts/probe-32bit.sh
wxs=$root/packaging/windows/kestrum.wxs

class='HKCR\CLSID\{35E2684A-F747-4FE9-A25C-DD918786DDE0}'
type_library='HKCR\TypeLib\{79B2F8FE-DFDB-418D-999A-4307476AF709}'
interface='HKCR\Interface\{D486D0DF-636F-4895-AB66-EAD6665EFF47}'
keys=('HKCR\Kestrum.Arithm' "$class" "$type_library" "$interface")
folder64='C:\Program Files\Kestrum'
folder32='C:\Program Files (x86)\Kestrum'

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# registry_dump VIEW: our keys and values in registry view VIEW (64 or 32), as reg lists them
# (without blank lines).
registry_dump() {
    local key
    local key listing
    for key in "${keys[@]}"; do
        if listing=$(wine64 reg query "$key" /s "/reg:$1" 2>/dev/null); then
            tr -d '\r' <<<"$listing" | sed '/^$/d'
        fi
    done
}

# registry_value VIEW KEY [NAME]: one string value (the key's default value without NAME).
registry_value() {
    local selector=(/ve)
    [ $# -eq 3 ] && selector=(/v "$3")
    wine64 reg query "$2" "${selector[@]}" "/reg:$1" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *[^ ].* REG_SZ *//p' || true
}

# msiexec_quiet /i|/x MSI: installs or removes MSI silently and waits until the prefix is idle
# (msiexec leaves a service behind for a while; a program started as it stops may fail to start).
msiexec_quiet() {
    local status=0
    wine64 'C:\windows\system32\msiexec.exe' "$1" "$(windows_path "$2")" /qn || status=$?
    wineserver -w
    return "$status"
}

# installed_64bit_registry: the 64-bit view, for comparison with the registry of the 64-bit DLL
# alone: without the 32-bit DLL's entries in the type library key that both views share (the
# 32-bit view is checked on its own).
installed_64bit_registry() {
    registry_dump 64 | awk '/^HKEY/ { skip = /\\(409|0)\\win32$/ } !skip' | normalise "$folder64"
}

# normalise FOLDER: names the DLL's folder <folder> in a registry dump. A folder path that
# Windows Installer writes ends in a backslash (HELPDIR); one that RegisterTypeLib writes does not.
normalise() {
    FOLDER=$1 perl -pe 's/\Q$ENV{FOLDER}\E\\$/<folder>/; s/\Q$ENV{FOLDER}\E/<folder>/g'
}

fresh_prefix "$work/msi-prefix"
drive_c=$WINEPREFIX/drive_c

echo "=== installing $(basename "$msi") silently"
msiexec_quiet /i "$msi" || fail "msiexec /i exited with status $?"
for folder in "$drive_c/Program Files/Kestrum" "$drive_c/Program Files (x86)/Kestrum"; do
    for file in Kestrum.dll KestrumMath.bas KestrumMath.vbs; do
        [ -f "$folder/$file" ] || fail "not installed: $folder/$file"
    done
done
installed=$(installed_64bit_registry)
rm -rf "$work/msi-saved"
mkdir -p "$work/msi-saved/x64" "$work/msi-saved/x86" "$work/msi-saved/vba"
cp "$drive_c/Program Files/Kestrum/KestrumMath."* "$work/msi-saved/vba/"
cp "$drive_c/Program Files/Kestrum/Kestrum.dll" "$work/msi-saved/x64/"
cp "$drive_c/Program Files (x86)/Kestrum/Kestrum.dll" "$work/msi-saved/x86/"

# The 32-bit view: the class names the 32-bit DLL; the ProgID, the type library and the interface
# are there too.
while IFS='|' read -r key name expected; do
    actual=$(registry_value 32 "$key" ${name:+"$name"})
    [ "$actual" = "$expected" ] ||
        fail "32-bit view, $key ${name:-(default)}: '$actual', expected '$expected'"
done <<EOF_VALUES
$class\\InprocServer32||$folder32\\Kestrum.dll
$class\\InprocServer32|ThreadingModel|Apartment
HKCR\\Kestrum.Arithm\\CLSID||{35E2684A-F747-4FE9-A25C-DD918786DDE0}
$type_library\\1.0\\409\\win32||$folder32\\Kestrum.dll
$type_library\\1.0\\0\\win32||$folder32\\Kestrum.dll
$interface\\ProxyStubClsid32||{00020424-0000-0000-C000-000000000046}
EOF_VALUES

scripts=$drive_c/scripts
mkdir -p "$scripts"
cp "$client" "$scripts/"
client_name=$(basename "$client")
echo "=== 64-bit cscript $client_name"
output=$(cd "$scripts" && wine64 'C:\windows\system32\cscript.exe' "$client_name" | tr -d '\r') ||
    fail "64-bit cscript exited with status $?"
echo "$output"
grep -q ': 0 failed checks' <<<"$output" || fail "64-bit cscript client"

if reason=$(bash "$probe"); then
    echo "=== 32-bit cscript $client_name"
    output=$(cd "$scripts" && WINELOADER=/usr/lib/wine/wine /usr/lib/wine/wine \
        'C:\windows\syswow64\cscript.exe' "$client_name" | tr -d '\r') ||
        fail "32-bit cscript exited with status $?"
    echo "$output"
    grep -q ': 0 failed checks' <<<"$output" || fail "32-bit cscript client"
else
    echo "skipped: 32-bit cscript after the MSI install: $reason"
fi
rm -rf "$scripts"

echo "=== uninstalling silently"
msiexec_quiet /x "$msi" || fail "msiexec /x exited with status $?"
for folder in "$drive_c/Program Files/Kestrum" "$drive_c/Program Files (x86)/Kestrum"; do
    [ ! -e "$folder" ] || fail "left behind: $folder"
done
for view in 64 32; do
    left=$(registry_dump "$view")
    [ -z "$left" ] || fail "left behind in the $view-bit view: $left"
done
wineserver -w # writes the registry files
if grep -il kestrum "$WINEPREFIX"/*.reg; then
    fail "the registry still names Kestrum: $(grep -i kestrum "$WINEPREFIX"/*.reg | head -n 5)"
fi
left=$(find "$drive_c" -iname '*kestrum*')
[ -z "$left" ] || fail "files left behind: $left"

echo "=== a newer version over this one, then this one over the newer"
version=$(msiinfo export "$msi" Property | sed -n 's/^ProductVersion\t//p' | tr -d '\r')
newer_version=${version%.*}.$((${version##*.} + 1))
newer=$work/Kestrum-$newer_version-x64.msi
# wixl takes the files by relative path.
(cd "$work" && wixl -a x64 -D Version="$newer_version" -D Dll64=msi-saved/x64/Kestrum.dll \
    -D Dll32=msi-saved/x86/Kestrum.dll -D Vba=msi-saved/vba -o "$newer" "$wxs")
msiexec_quiet /i "$msi" || fail "msiexec /i exited with status $?"
msiexec_quiet /i "$newer" || fail "the upgrade exited with status $?"
# One product named Kestrum, of the newer version.
products=$(wine64 reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    tr -d '\r' | sed -n 's/^ *DisplayName *REG_SZ *Kestrum$/Kestrum/p
                         s/^ *DisplayVersion *REG_SZ *//p' | LC_ALL=C sort)
[ "$products" = "$(printf '%s\nKestrum' "$newer_version")" ] ||
    fail "after the upgrade the installed products are: $products"
upgraded=$(installed_64bit_registry)
[ "$upgraded" = "$installed" ] || fail "the upgrade changed the registry: $upgraded"
if msiexec_quiet /i "$msi"; then
    fail "the older version installed over the newer one"
fi
msiexec_quiet /x "$newer" || fail "msiexec /x exited with status $?"
for view in 64 32; do
    left=$(registry_dump "$view")
    [ -z "$left" ] || fail "after the upgrade and uninstall, left in the $view-bit view: $left"
done
[ ! -e "$drive_c/Program Files/Kestrum" ] || fail "after the upgrade and uninstall, the DLL is left"

echo "=== regsvr32 on the installed 64-bit DLL, for comparison"
mkdir -p "$drive_c/reference"
cp "$work/msi-saved/x64/Kestrum.dll" "$drive_c/reference/"
regsvr32='C:\windows\system32\regsvr32.exe'
wine64 "$regsvr32" /s 'C:\reference\Kestrum.dll' || fail "regsvr32 exited with status $?"
registered=$(registry_dump 64 | normalise 'C:\reference')
wine64 "$regsvr32" /u /s 'C:\reference\Kestrum.dll' || fail "regsvr32 /u exited with status $?"
grep -q InprocServer32 <<<"$registered" || fail "regsvr32 registered nothing"
if [ "$installed" != "$registered" ]; then
    fail "the MSI's registry (<) differs from regsvr32's (>)"
    diff <(echo "$installed") <(echo "$registered") || true
fi

[ "$failures" -eq 0 ] && echo "msi round trip: 0 failed checks"
exit "$failures"
