#!/usr/bin/env bash
# Runs the Windows side of a test under Wine in a private prefix, created on first use.
#   wine-run.sh LOADER SYSTEM PREFIX COMMAND ...
# LOADER is the Wine loader of the bitness under test (/usr/lib/wine/wine64 for 64-bit programs,
# /usr/lib/wine/wine for 32-bit ones) and SYSTEM the Windows folder holding the system programs
# of that bitness (system32, or syswow64 for 32-bit programs). The prefix is always a 64-bit one,
# made by the 64-bit loader beside LOADER; 32-bit programs run in its syswow64 side.
# Commands:
#   register DLL             register DLL with regsvr32
#   unregister DLL           unregister it with regsvr32 /u
#   script DIR SCRIPT        run SCRIPT (in DIR, by relative path, since cscript reads "/..." as
#                            an option) with cscript
#   run DIR PROGRAM ARGS     run PROGRAM from DIR
#   registry DLL TESTER      register, check, register again (same registry), unregister twice,
#                            check nothing is left
set -euo pipefail

# shellcheck source=tests/wine-program.sh
source "$(dirname "$0")/../wine-program.sh"

loader=$1
system='C:\windows\'$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
command=$4
shift 4

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wine64=$(dirname "$loader")/wine64
    WINELOADER=$wine64 wine_program "$wine64" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# Programs that a test program starts go through the same loader.
export WINELOADER=$loader

windows_path() {
    wine_program "$loader" winepath -w "$1" 2>/dev/null
}

system_program() {
    local name=$1
    shift
    wine_program "$loader" "$system\\$name.exe" "$@"
}

registry_dump() {
    system_program reg query 'HKCR\Kestrum.Arithm' /s 2>/dev/null | tr -d '\r'
    system_program reg query 'HKCR\CLSID\{35E2684A-F747-4FE9-A25C-DD918786DDE0}' /s 2>/dev/null | tr -d '\r'
    system_program reg query 'HKCR\TypeLib\{79B2F8FE-DFDB-418D-999A-4307476AF709}' /s 2>/dev/null | tr -d '\r'
}

case $command in
    register) system_program regsvr32 /s "$(windows_path "$1")" ;;
    unregister) system_program regsvr32 /u /s "$(windows_path "$1")" ;;
    script)
        cd "$1"
        system_program cscript "$2" | tr -d '\r'
        ;;
    run)
        cd "$1"
        shift
        arguments=()
        for argument in "$@"; do
            # Files named by an absolute Unix path are handed over as Windows paths.
            if [[ $argument == /* && -e $argument ]]; then
                argument=$(windows_path "$argument")
            fi
            arguments+=("$argument")
        done
        wine_program "$loader" "${arguments[@]}" | tr -d '\r'
        ;;
    registry)
        dll=$(windows_path "$1")
        tester=$2
        system_program regsvr32 /s "$dll"
        wine_program "$loader" "$tester" registered "$dll" | tr -d '\r'
        first=$(registry_dump)
        [ -n "$first" ] || { echo "reg shows no registration"; exit 1; }
        system_program regsvr32 /s "$dll"
        [ "$first" = "$(registry_dump)" ] || { echo "registering twice changed the registry"; exit 1; }
        system_program regsvr32 /u /s "$dll"
        system_program regsvr32 /u /s "$dll" || { echo "unregistering twice failed"; exit 1; }
        wine_program "$loader" "$tester" unregistered | tr -d '\r'
        ;;
    *) echo "unknown command: $command" >&2; exit 2 ;;
esac
